// tunerpeer status: the tuner as the library's shared state holds it.
#pragma once

// Prints the state to the standard output; 0, or 2 when it cannot be read.
int PrintTunerStatus();
