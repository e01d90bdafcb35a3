// Implemented in a following change.
