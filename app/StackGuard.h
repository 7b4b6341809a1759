#pragma once
// The stack-protector guard of Spindrel.exe, and what ends the process when a check fails.
//
// These replace the compiler runtime's own (libssp): its guard set-up asks the Windows crypto
// providers for the random value, which loads three libraries (bcrypt, crypt32, rsaenh) into the
// process and unloads them again at every start. This one takes the value from RtlGenRandom, the
// system's generator behind those providers, without loading them.

// Gives the guard its random value. Called by the entry point, before any protected function runs.
void SeedStackGuard();
