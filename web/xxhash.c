/* xxHash for the state file checksums, from its header-only form. */
#define XXH_IMPLEMENTATION
#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>
