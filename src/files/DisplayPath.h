#pragma once

#include <cstddef>
#include <string>

namespace orvalis {

// Paths longer than this are shortened in messages: the start and the end
// stay, which is where a reader recognises a path.
inline constexpr std::size_t kLongestDisplayedPath = 300;

// A path as a message quotes it: every byte a terminal or a dialog would
// hide, reorder or act on is made visible, and a path too long to read is
// cut in the middle. Tab, CR and LF become \t, \r and \n; other C0 controls
// and DEL become \x00-style escapes; invalid UTF-8 bytes become \xNN; the
// byte-order mark and other invisible or direction-changing characters
// (zero-width space and joiners, bidi marks, embeddings and isolates, soft
// hyphen, C1 controls) become <U+FEFF>-style names. Other text is unchanged.
std::string DisplayPath(const std::string& path);

}  // namespace orvalis
