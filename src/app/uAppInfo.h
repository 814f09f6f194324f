// Fixed texts of the application: title, version, vendor and web address.
#pragma once

inline constexpr const char* AppTitle = "Pagewell";
// The build's version (the project version in CMakeLists.txt).
inline constexpr const char* AppVersionText = PAGEWELL_VERSION;
inline constexpr const char* AppVendorName = "The Pagewell authors";
inline constexpr const char* AppHomepageURL = "https://pagewell.example.org";
// The executable name that names the per-user folder.
inline constexpr const char* AppExeName = "pagewell";
