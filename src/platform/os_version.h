#pragma once
// The operating-system gate: a small number that start-up compares with 10.

namespace pellaro {

// Major/minor/build of the true Windows version to 11, 10, 8, 7 or -1
// (anything unknown, including an unreadable, zeroed version).
int MapOsVersion(unsigned major, unsigned minor, unsigned build);

// Linux has no Windows version; the edition needs a display to show its
// windows: an X11 or Wayland display, or Qt's offscreen platform, gives 10, else -1.
int MapDesktopSession(const char* x11Display, const char* waylandDisplay, const char* qtPlatform);

// The number for this machine: the Windows mapping of the version reported by
// the profile's true-version routine, or the Linux desktop-session gate.
int OsVersionNumber();

}  // namespace pellaro
