#pragma once
// The host contract crosses a shared-library boundary: the host process implements these
// interfaces and the module library calls them (and the other way round for Cinterface).
// Their type information stays visible so exceptions and vtables match on both sides,
// even when the module library hides everything else.
#if defined(__GNUC__)
#define LEDGERINTAKE_CONTRACT __attribute__((visibility("default")))
#else
#define LEDGERINTAKE_CONTRACT
#endif
