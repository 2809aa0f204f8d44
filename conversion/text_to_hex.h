#pragma once

#include "text_box.h"

namespace vornelle {

// Writes the hexadecimal listing of the source box's bytes into the listing box: every byte as
// two uppercase hexadecimal digits and one space, "41 42 " for AB.
//
// Calls, in this order and no others: listing.ReplaceBoxText(""), source.ReadBoxText(), then
// listing.AppendBoxText once per source byte with that byte's three-character group.
void TextToHex(TextBox& source, TextBox& listing);

}  // namespace vornelle
