#pragma once

#include <string>

// The remote of the kitchen document as people type its name, in UTF-8.
constexpr const char* kKitchen = "Küche";

// Writes a document whose one remote, Küche (Windows-1252 in the file, as every name), has a
// full 3 x 3 pad: the megabutton Alles, and learned buttons of the simulated remote's frame
// named Lüfter, Übergrößenlicht (15 letters, 18 bytes of UTF-8) and Taste1 to Taste6 (one word
// each, as exchanged names are).
void WriteKitchenDocument(const std::string& strPath);
