#pragma once
// Scripted dialogs follow in a following change.
