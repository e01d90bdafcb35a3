// Tests follow in a following change.
