#pragma once

// brindle-stick-bench --soak: a thousand sends through the central, the simulated radio and the
// send flow under faults drawn from a seed; prints the outcomes, memory and descriptors, and
// returns 0 when every send ended verified or with a StickError and the stick holds exactly
// what was sent, byte for byte.
int runSoak(unsigned seed);
