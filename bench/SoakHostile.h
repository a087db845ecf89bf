#pragma once

// The soak's hostile sticks on the simulated radio: one advertising a 248-byte name full of
// control and bidirectional-override characters, one offering no stick service, and sticks that
// flood the link, send frames too long, too short or for nothing, or fall silent mid-send. Prints
// what the program made of each; returns 0 when it stayed safe and said what went wrong.
int runHostileSticks();
