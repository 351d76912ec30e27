/* Only its version resource matters. */
__declspec(dllexport) int KvxVersionedLibraryMarker(void) { return 1; }
