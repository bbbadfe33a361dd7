// Keeps the library non-empty until its platform-neutral parts arrive.
