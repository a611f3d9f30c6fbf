// The two texts of the browser window that belong to the program's maker
// rather than to its controls: the credit line and the home page address that
// the link label shows and opens. Kept here so that each lives in one place.
#pragma once

inline constexpr const char* kCreditText = "Vidrolle 2nd  (c) 2026";
inline constexpr const char* kHomePageAddress = "https://vidrolle.example.org/";
