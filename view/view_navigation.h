#pragma once
// Declared in a following change.
