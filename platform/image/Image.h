// Pictures in files and on the clipboard: PNG, JPEG (with a quality) and BMP over the window
// toolkit's image object. Failures come back as results; nothing here opens a log window.
//
// Threads: user-interface thread only (the toolkit's image handlers and clipboard).
#pragma once

#include <filesystem>

#include <wx/bitmap.h>
#include <wx/image.h>

namespace platform
{
enum class ImageFormat
{
    Bmp,
    Jpeg,
    Png,
};

// The largest picture that LoadImage accepts, per side and in all.
inline constexpr long kMaxImageSide = 16384;
inline constexpr long long kMaxImagePixels = 64LL * 1024 * 1024;

// Writes the picture in the format (quality 0..100, held inside that range, for JPEG only). The
// file is replaced as a whole or not at all. False when the picture is empty, could not be encoded
// or the file could not be written (missing or read-only folder, ...).
bool SaveImage(const wxImage& image, const std::filesystem::path& path, ImageFormat format, int quality = 90);
bool SaveBitmap(const wxBitmap& bitmap, const std::filesystem::path& path, ImageFormat format,
                int quality = 90);

// The picture in a PNG, JPEG or BMP file (recognised by its content); an empty image (IsOk()
// false) when the file cannot be read, is not a picture, or declares a size beyond the limits
// above.
wxImage LoadImage(const std::filesystem::path& path);

// Why the clipboard did not take a picture.
enum class ClipboardFailure
{
    None,
    // Another holder has the clipboard open, or it could not be opened (and so not emptied).
    NotOpened,
    // The clipboard was opened and emptied but refused the picture.
    Refused,
};

// Replaces the clipboard's content with the bitmap and closes the clipboard again. False (and the
// reason in `failure` when given) when it could not be opened or refused the data.
bool CopyBitmapToClipboard(const wxBitmap& bitmap, ClipboardFailure* failure = nullptr);

}  // namespace platform
