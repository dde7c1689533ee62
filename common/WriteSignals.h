#pragma once

// File-size limits and closed pipes become write errors that the programs
// report (EFBIG, EPIPE) instead of signals that kill them half-way through
// an output. Called first thing in main().
void ignoreWriteSignals();
