#include "platform/image/Image.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include "platform/FileReplace.h"

namespace platform
{
namespace
{

// A BMP of the largest accepted picture is about 192 MB; anything much larger is not ours.
constexpr std::uintmax_t kMaxImageFileBytes = 256ULL * 1024 * 1024;

void EnsureHandlers()
{
    // The BMP handler is always there; PNG and JPEG are added once, on first use.
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG))
        wxImage::AddHandler(new wxJPEGHandler);
}

wxBitmapType ToWx(ImageFormat format)
{
    switch (format)
    {
        case ImageFormat::Jpeg:
            return wxBITMAP_TYPE_JPEG;
        case ImageFormat::Png:
            return wxBITMAP_TYPE_PNG;
        case ImageFormat::Bmp:
            break;
    }
    return wxBITMAP_TYPE_BMP;
}

struct Header
{
    wxBitmapType type = wxBITMAP_TYPE_INVALID;
    long long width = 0;
    long long height = 0;
};

std::uint32_t BigEndian32(std::string_view b, std::size_t at)
{
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3]));
}

unsigned BigEndian16(std::string_view b, std::size_t at)
{
    return (static_cast<unsigned>(static_cast<unsigned char>(b[at])) << 8) |
           static_cast<unsigned>(static_cast<unsigned char>(b[at + 1]));
}

std::uint32_t LittleEndian32(std::string_view b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}

unsigned LittleEndian16(std::string_view b, std::size_t at)
{
    return static_cast<unsigned>(static_cast<unsigned char>(b[at])) |
           (static_cast<unsigned>(static_cast<unsigned char>(b[at + 1])) << 8);
}

std::optional<Header> JpegHeader(std::string_view b)
{
    // Walk the marker segments up to the first start-of-frame, which holds the size.
    std::size_t at = 2;
    while (at + 4 <= b.size())
    {
        if (static_cast<unsigned char>(b[at]) != 0xFF)
            return std::nullopt;
        const unsigned marker = static_cast<unsigned char>(b[at + 1]);
        if (marker == 0xFF)
        {
            ++at;  // fill byte
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
        {
            at += 2;  // markers without a segment
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)
            return std::nullopt;  // image data or end before any frame
        const unsigned length = BigEndian16(b, at + 2);
        if (length < 2)
            return std::nullopt;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
        {
            if (length < 7 || at + 9 > b.size())
                return std::nullopt;
            return Header{wxBITMAP_TYPE_JPEG, BigEndian16(b, at + 7), BigEndian16(b, at + 5)};
        }
        at += 2 + length;
    }
    return std::nullopt;
}

// The format and declared size, read before the toolkit allocates anything for the picture.
std::optional<Header> ReadHeader(std::string_view b)
{
    if (b.size() >= 24 && b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8) &&
        b.substr(12, 4) == "IHDR")
        return Header{wxBITMAP_TYPE_PNG, BigEndian32(b, 16), BigEndian32(b, 20)};
    if (b.size() >= 4 && static_cast<unsigned char>(b[0]) == 0xFF && static_cast<unsigned char>(b[1]) == 0xD8)
        return JpegHeader(b);
    if (b.size() >= 26 && b.substr(0, 2) == "BM")
    {
        const std::uint32_t infoSize = LittleEndian32(b, 14);
        if (infoSize == 12)
            return Header{wxBITMAP_TYPE_BMP, LittleEndian16(b, 18), LittleEndian16(b, 20)};
        const auto height = static_cast<std::int32_t>(LittleEndian32(b, 22));
        // Rows stored top-down have a negative height.
        return Header{wxBITMAP_TYPE_BMP, static_cast<std::int32_t>(LittleEndian32(b, 18)),
                      height < 0 ? -static_cast<long long>(height) : height};
    }
    return std::nullopt;
}

}  // namespace

bool SaveImage(const wxImage& image, const std::filesystem::path& path, ImageFormat format, int quality)
{
    if (!image.IsOk() || path.empty())
        return false;
    EnsureHandlers();
    wxImage copy = image;
    if (format == ImageFormat::Jpeg)
        copy.SetOption(wxIMAGE_OPTION_QUALITY, std::clamp(quality, 0, 100));
    // Encoded in memory first: the toolkit's own file writing reports failures in a log window,
    // and a half-written picture must never replace a good one.
    wxMemoryOutputStream stream;
    {
        wxLogNull quiet;
        if (!copy.SaveFile(stream, ToWx(format)))
            return false;
    }
    const std::size_t size = static_cast<std::size_t>(stream.GetLength());
    std::string bytes(size, '\0');
    if (size == 0 || stream.CopyTo(bytes.data(), size) != size)
        return false;
    return ReplaceFileAtomically(path, bytes);
}

bool SaveBitmap(const wxBitmap& bitmap, const std::filesystem::path& path, ImageFormat format, int quality)
{
    if (!bitmap.IsOk())
        return false;
    return SaveImage(bitmap.ConvertToImage(), path, format, quality);
}

wxImage LoadImage(const std::filesystem::path& path)
{
    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, error);
    if (error || fileSize == 0 || fileSize > kMaxImageFileBytes)
        return wxImage();
    std::string bytes;
    if (!ReadFileBytes(path, bytes))
        return wxImage();
    const std::optional<Header> header = ReadHeader(bytes);
    if (!header || header->width <= 0 || header->height <= 0 || header->width > kMaxImageSide ||
        header->height > kMaxImageSide || header->width * header->height > kMaxImagePixels)
        return wxImage();
    EnsureHandlers();
    wxMemoryInputStream stream(bytes.data(), bytes.size());
    wxImage image;
    wxLogNull quiet;
    if (!image.LoadFile(stream, header->type))
        return wxImage();
    return image;
}

bool CopyBitmapToClipboard(const wxBitmap& bitmap, ClipboardFailure* failure)
{
    const auto fail = [failure](ClipboardFailure reason)
    {
        if (failure)
            *failure = reason;
        return false;
    };
    if (failure)
        *failure = ClipboardFailure::None;
    wxLogNull quiet;
    // Opening an open clipboard is a programming error to the toolkit; here it is just busy.
    if (wxTheClipboard->IsOpened() || !wxTheClipboard->Open())
        return fail(ClipboardFailure::NotOpened);
    wxTheClipboard->Clear();
    // The clipboard owns the data object from here on, whether it takes it or not.
    const bool set = bitmap.IsOk() && wxTheClipboard->SetData(new wxBitmapDataObject(bitmap));
    wxTheClipboard->Close();
    return set ? true : fail(ClipboardFailure::Refused);
}

}  // namespace platform
