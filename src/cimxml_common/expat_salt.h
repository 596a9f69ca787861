// expat_salt.h - one salt for the hash tables of every Expat parser the
// module makes.
#pragma once

// A secret drawn once per process (from the kernel's random source). A
// parser given no salt draws its own on its first document: a system call
// and a look at the environment per document parsed.
unsigned long cimxml_expat_hash_salt();
