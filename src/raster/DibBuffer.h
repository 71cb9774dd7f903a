#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "raster/BitmapInfo.h"
#include "files/Cancellation.h"
#include "raster/PixelColour.h"

namespace orvalis {

class TDibBuffer;

// Stands in for a memory device context: the drawing operations of a buffer
// (BlitTo, StretchTo, StretchPartTo) draw onto the buffer a handle belongs to.
// A buffer hands out a handle once it has pixel memory; an empty handle is
// "no device context" and drawing onto it changes nothing.
struct TDeviceContext {
    TDibBuffer* Target = nullptr;
    explicit operator bool() const { return Target != nullptr; }
};

// One channel of a packed 16- or 32-bit pixel: where it lies and how wide it is.
struct ChannelField {
    std::uint32_t Mask = 0;
    std::uint8_t Shift = 0;  // position of the mask's lowest set bit
    std::uint8_t Bits = 0;   // MaskWidth(Mask)
};

// The in-memory picture: width x height pixels of 1, 4, 8, 16, 24 or 32 bits,
// rows in memory order (row 0 is the first row of pixel memory, which for the
// usual bottom-up picture is its bottom row), each row padded to whole 32-bit
// words exactly as in a BMP file so that files move in one read or write.
class TDibBuffer {
public:
    // Largest width or height accepted; 32768 x 32768 at 32 bits is 4 GiB.
    static constexpr std::int32_t kMaxDimension = 32768;

    TDibBuffer();
    TDibBuffer(const TDibBuffer&) = delete;
    TDibBuffer& operator=(const TDibBuffer&) = delete;
    TDibBuffer(TDibBuffer&&) noexcept;
    TDibBuffer& operator=(TDibBuffer&&) noexcept;
    ~TDibBuffer();

    // --- Format and storage -------------------------------------------------
    // A format equal to the current one keeps the pixel memory and its
    // content; any other format gets fresh memory, all zero. Unsupported
    // depths, sizes beyond kMaxDimension, a zero width or height and a failed
    // allocation raise Error; the buffer then keeps its old state.
    void Allocate(std::int32_t width, std::int32_t height, std::uint8_t bitsPerPixel);
    // bitsPerPixel 0 asks for the screen's depth: 32 bits, 8-8-8.
    void AllocateFormat(std::int32_t width, std::int32_t height, std::uint8_t bitsPerPixel,
                        std::uint8_t redBits, std::uint8_t greenBits, std::uint8_t blueBits);
    // Takes the format of an Info-shaped block: its size and depth, its
    // colour table (8 bits or fewer) or its bit-field masks at their real
    // positions (16 and 32 bits with BI_BITFIELDS). A compressed block gives
    // an uncompressed buffer of the same depth.
    void AllocateFromInfo(const BitmapInfo& info);

    // --- Pixels (coordinates are not checked: 0 <= row < RowCount, 0 <= column < Width)
    PixelColour ReadPixel(std::int32_t row, std::int32_t column) const;
    void WritePixel(std::int32_t row, std::int32_t column, PixelColour colour);
    std::uint8_t ReadIndex(std::int32_t row, std::int32_t column) const;
    void WriteIndex(std::int32_t row, std::int32_t column, std::uint8_t index);

    static std::uint8_t NearestIndex(const RgbQuad* table, int lastIndex, PixelColour colour);
    static std::uint8_t ExpandChannel(std::uint32_t value, int bits);
    static int MaskWidth(std::uint32_t mask);  // mask must be non-zero

    // --- Files (BmpFile.cpp) -------------------------------------------------
    // With threads > 1 the pixels of a large file are read in parts side by
    // side (each part's fresh pages are filled by its own thread).
    void ReadBmpFile(const std::string& path, int threads = 1);
    // Writes a temporary file beside the target and renames it over the
    // target, so a failed write never destroys an earlier good file. A set
    // cancel flag stops the write (RunCancelled) and removes the temporary.
    void WriteBmpFile(const std::string& path, const CancelFlag* cancel = nullptr) const;
    // Expand run-length data into a buffer that already has the file's format.
    void DecodeRle8(std::span<const std::uint8_t> data);
    void DecodeRle4(std::span<const std::uint8_t> data);

    // --- Drawing (DibTransfer.cpp) -------------------------------------------
    // Device coordinates: from the target picture's top-left corner, x to the
    // right, y downward. Pixels are converted to the target's depth; a
    // stretch samples the nearest source pixel when enlarging and ANDs the
    // merged pixels when shrinking. Nothing outside the target rectangle or
    // the target picture changes. The result is non-zero when something was
    // drawn onto a valid target.
    int BlitTo(TDeviceContext target, std::int32_t x, std::int32_t y) const;
    int StretchTo(TDeviceContext target, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height) const;
    int StretchPartTo(TDeviceContext target, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height, std::int32_t sourceX, std::int32_t sourceY,
                      std::int32_t sourceWidth, std::int32_t sourceHeight) const;
    // Takes the picture's width, height, depth, colour table or masks and pixels.
    void CopyFromBitmap(const TDibBuffer& bitmap);

    // --- Accessors -------------------------------------------------------------
    std::int32_t Width() const { return info_.Header.biWidth; }
    std::int32_t Height() const { return info_.Header.biHeight; }  // negative: top-down
    std::int32_t RowCount() const { return rowCount_; }
    std::int32_t BytesPerRow() const { return bytesPerRow_; }
    std::int32_t RowGap() const { return rowGap_; }
    int BitsPerPixel() const { return info_.Header.biBitCount; }
    bool IsTopDown() const { return Height() < 0; }
    // The buffer row (memory order) of device row y, counted from the
    // picture's top; its own inverse, so it also gives a buffer row's device row.
    std::int32_t BufferRow(std::int32_t y) const { return IsTopDown() ? y : rowCount_ - 1 - y; }
    bool IsEmpty() const { return !pixels_; }
    TDeviceContext DeviceContext() { return TDeviceContext{pixels_ ? this : nullptr}; }

    // The header and colour table change only with the format (Allocate...);
    // of a picture of 8 bits or fewer, SetColour changes one colour.
    const BitmapInfo& Info() const { return info_; }
    const RgbQuad* ColourTable() const { return info_.Colours; }
    void SetColour(std::uint8_t index, RgbQuad colour);

    std::uint8_t* PixelData() { return pixels_.get(); }
    const std::uint8_t* PixelData() const { return pixels_.get(); }
    std::size_t PixelBytes() const { return static_cast<std::size_t>(rowCount_) * bytesPerRow_; }
    std::uint8_t* RowTable(std::int32_t row) { return rowTable_[row]; }
    const std::uint8_t* RowTable(std::int32_t row) const { return rowTable_[row]; }

    const ChannelField& RedField() const { return red_; }
    const ChannelField& GreenField() const { return green_; }
    const ChannelField& BlueField() const { return blue_; }

private:
    struct FreeDeleter {
        void operator()(std::uint8_t* p) const;
    };

    // Where the rows of a format lie in its pixel memory.
    struct PixelLayout {
        std::int32_t BytesPerRow = 0;
        std::int32_t RowCount = 0;
        std::int32_t RowGap = 0;
        std::size_t Total = 0;
    };
    struct PixelMemory {
        std::unique_ptr<std::uint8_t[], FreeDeleter> Pixels;
        std::vector<std::uint8_t*> Rows;
    };

    // Checks the format, lays out and allocates its memory, and only then
    // takes it over, so that a rejected or failed format changes nothing.
    void AllocateWithMasks(std::int32_t width, std::int32_t height, int bits,
                           std::uint32_t compression, std::uint32_t redMask,
                           std::uint32_t greenMask, std::uint32_t blueMask);
    static void CheckFormat(std::int32_t width, std::int32_t height, int bits,
                            std::uint32_t compression, std::uint32_t redMask,
                            std::uint32_t greenMask, std::uint32_t blueMask);
    static PixelLayout LayOutPixels(std::int32_t width, std::int32_t height, int bits);
    static PixelMemory AllocatePixels(const PixelLayout& layout, std::int32_t width,
                                      std::int32_t height, int bits);
    PixelColour UnpackPixel(std::uint32_t packed) const;
    std::uint32_t PackPixel(PixelColour colour) const;

    BitmapInfo info_;
    std::int32_t bytesPerRow_ = 0;
    std::int32_t rowCount_ = 0;
    std::int32_t rowGap_ = 0;
    ChannelField red_, green_, blue_;
    std::unique_ptr<std::uint8_t[], FreeDeleter> pixels_;
    std::vector<std::uint8_t*> rowTable_;
};

// Screen depth that AllocateFormat's bitsPerPixel 0 stands for.
inline constexpr int kScreenBitsPerPixel = 32;

}  // namespace orvalis
