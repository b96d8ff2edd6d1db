#pragma once
// The switches the browser engine starts with, the same in both editions.
#include <string>

namespace pellaro {

// The profile's browser switches, then the ones the program always needs: web
// security off (the academy's pages rely on it, see docs/security.md) and no
// proxy, so the engine reaches every host directly, as the program's own
// client and the pin pre-check do: an intercepting proxy cannot see the
// engine's traffic while the pre-check sees the real chain.
std::string EngineSwitches();

}  // namespace pellaro
