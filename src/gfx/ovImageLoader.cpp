// BMP decoding. Pictures are untrusted input, so the header is checked here before
// stb_image sees the bytes: stb quietly fills missing pixel data with zeros and reads
// uninitialised palette entries for out-of-range indices, and we want a clear error
// for both instead of a picture that is silently wrong.
//
// True colour pictures with plain rows right after the headers (the form our own
// pictures are written in) are converted here, row by row, straight into the picture:
// a file is read a few rows at a time, never whole, and there is no second buffer the
// size of the picture. They come out exactly as stb_image gives them; every other form
// goes to stb_image.
#include "gfx/ovImage.h"

#include "system/ovFileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#include <stb_image.h>

namespace {

// 64M pixels is far beyond any screen this program draws on, and keeps the decoded
// picture (4 bytes a pixel) under 256 MiB.
constexpr int64_t kMaxPixels = int64_t{64} * 1024 * 1024;
// A file larger than the biggest picture we accept plus generous headers is refused
// before it is read into memory.
constexpr int64_t kMaxFileBytes = kMaxPixels * 4 + 64 * 1024;

constexpr size_t kFileHeaderSize = 14;
// The file header and the longest info header.
constexpr size_t kLongestHeaders = kFileHeaderSize + 124;
// stb_image refuses a picture longer than this on either side.
constexpr int kMaxSide = 1 << 24;
// How much of a file the direct reader converts at a time: under the size from which
// malloc maps fresh pages for every block, so each picture reuses the same memory.
constexpr size_t kReadChunk = 64 * 1024;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

ovError failure(std::string message) {
    return ovFail(std::move(message));
}

ovError notBmp(const std::string& name, const std::string& why) {
    return failure(name + " is not a BMP picture (" + why + ")");
}

// Every index of a palette picture must name an entry the file holds.
bool paletteIndicesValid(const uint8_t* pixels, int width, int height, int bpp, uint32_t entries) {
    const size_t rowBytes = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    const int perByte = 8 / bpp;
    const unsigned mask = (1u << bpp) - 1;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + rowBytes * y;
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - bpp * (x % perByte + 1);
            const unsigned index = (row[x / perByte] >> shift) & mask;
            if (index >= entries)
                return false;
        }
    }
    return true;
}

// What the headers say and the length of the file allow, checked without looking at a
// pixel. `head` holds the file's first bytes (at least the headers when the file has
// them); `size` is the whole file's length.
ovResult<ovBmpHeader> checkHeaders(const uint8_t* head, size_t headBytes, uint64_t size,
                                   const std::string& name) {
    if (head == nullptr || headBytes < 2 || head[0] != 'B' || head[1] != 'M')
        return notBmp(name, "no BM signature");
    if (headBytes < kFileHeaderSize + 4)
        return notBmp(name, "truncated file header");

    const uint32_t pixelOffset = le32(head + 10);
    const uint32_t infoSize = le32(head + 14);
    if (infoSize == 12)
        return notBmp(name, "OS/2 core header is not supported");
    if (infoSize != 40 && infoSize != 56 && infoSize != 108 && infoSize != 124)
        return notBmp(name, "unknown info header size " + std::to_string(infoSize));
    if (headBytes < kFileHeaderSize + infoSize)
        return notBmp(name, "truncated info header");

    const uint8_t* info = head + kFileHeaderSize;
    const int32_t width = static_cast<int32_t>(le32(info + 4));
    const int32_t rawHeight = static_cast<int32_t>(le32(info + 8));
    const uint16_t planes = le16(info + 12);
    const uint16_t bpp = le16(head + 28);
    const uint32_t compression = le32(info + 16);

    if (planes != 1)
        return notBmp(name, "plane count " + std::to_string(planes));
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return notBmp(name, "unsupported depth of " + std::to_string(bpp) + " bits per pixel");
    const bool bitfields = compression == 3;
    if (compression != 0 && !(bitfields && (bpp == 16 || bpp == 32)))
        return notBmp(name, "compression " + std::to_string(compression) + " is not supported");
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN)
        return notBmp(name, "invalid size " + std::to_string(width) + "x" + std::to_string(rawHeight));

    const int height = rawHeight < 0 ? -rawHeight : rawHeight;
    if (static_cast<int64_t>(width) * height > kMaxPixels)
        return failure(name + ": picture size " + std::to_string(width) + "x" + std::to_string(height) +
                       " is too large");

    // The masks of a bitfields picture with the short info header follow it.
    const uint64_t headersEnd = kFileHeaderSize + infoSize + (bitfields && infoSize == 40 ? 12 : 0);
    if (pixelOffset < headersEnd || pixelOffset > size)
        return notBmp(name, "pixel data offset " + std::to_string(pixelOffset) + " out of range");
    const uint64_t rowBytes = ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4;
    if (size - pixelOffset < rowBytes * static_cast<uint64_t>(height))
        return notBmp(name, "truncated pixel data");

    ovBmpHeader header;
    header.width = width;
    header.height = height;
    header.bitsPerPixel = bpp;
    header.pixelOffset = pixelOffset;
    header.headersEnd = static_cast<uint32_t>(headersEnd);
    header.compression = compression;
    header.topDown = rawHeight < 0;
    return header;
}

size_t rowBytesOf(const ovBmpHeader& h) {
    return ((static_cast<size_t>(h.width) * h.bitsPerPixel + 31) / 32) * 4;
}

// Fills a picture of a direct form from its rows in file order, a run of them at a time.
class DirectReader {
public:
    explicit DirectReader(const ovBmpHeader& header) : header_(header), rowBytes_(rowBytesOf(header)) {
        image_.width = header.width;
        image_.height = header.height;
        image_.bitsPerPixel = header.bitsPerPixel;
        image_.pixels.resize(static_cast<size_t>(header.width) * static_cast<size_t>(header.height));
    }

    size_t rowBytes() const { return rowBytes_; }
    int rowsDone() const { return rowsDone_; }

    // Takes the next `count` whole rows of the file.
    void convert(const uint8_t* rows, int count) {
        const int width = header_.width;
        for (int i = 0; i < count; ++i, ++rowsDone_) {
            const uint8_t* p = rows + rowBytes_ * static_cast<size_t>(i);
            const int y = header_.topDown ? rowsDone_ : header_.height - 1 - rowsDone_;
            uint32_t* out = image_.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
            if (header_.bitsPerPixel == 24) {
                for (int x = 0; x < width; ++x, p += 3)
                    out[x] = 0xFF000000u | (static_cast<uint32_t>(p[0]) << 16) |
                             (static_cast<uint32_t>(p[1]) << 8) | p[2];
            } else {
                uint32_t alpha = 0;
                for (int x = 0; x < width; ++x, p += 4) {
                    out[x] = (static_cast<uint32_t>(p[3]) << 24) | (static_cast<uint32_t>(p[0]) << 16) |
                             (static_cast<uint32_t>(p[1]) << 8) | p[2];
                    alpha |= p[3];
                }
                alphaSeen_ |= alpha;
            }
        }
    }

    // The picture, once every row is in. A 32-bit picture whose alpha is zero all over
    // was written by a program that leaves the fourth byte unused: it is opaque.
    ovImage take() {
        if (header_.bitsPerPixel == 32 && alphaSeen_ == 0)
            for (uint32_t& pixel : image_.pixels)
                pixel |= 0xFF000000u;
        return std::move(image_);
    }

private:
    ovBmpHeader header_;
    size_t rowBytes_;
    ovImage image_;
    int rowsDone_ = 0;
    uint32_t alphaSeen_ = 0;
};

// Opens a picture file for reading and finds its length; refuses folders and files too
// large to be a picture.
ovResult<ovFileDescriptor> openPicture(const std::string& path, struct stat& st) {
    ovFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid())
        return failure("cannot open " + path + ": " + std::strerror(errno));
    if (::fstat(file.get(), &st) != 0)
        return failure("cannot read " + path + ": " + std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return failure("cannot read " + path + ": " + std::strerror(EISDIR));
    if (S_ISREG(st.st_mode) && st.st_size > kMaxFileBytes)
        return failure(path + " is too large to be a picture");
    return file;
}

} // namespace

// The forms read without stb_image: 24 or 32 bits with plain rows and nothing between
// the headers and the rows (stb_image refuses a gap there), of a size stb_image takes.
bool ovBmpReadsDirectly(const ovBmpHeader& h) {
    return (h.bitsPerPixel == 24 || h.bitsPerPixel == 32) && h.compression == 0 &&
           h.pixelOffset == h.headersEnd && h.width <= kMaxSide && h.height <= kMaxSide;
}

ovResult<ovImage> ovDecodeBmp(const uint8_t* data, size_t size, const std::string& name) {
    ovResult<ovBmpHeader> checked = checkHeaders(data, size, size, name);
    if (!checked)
        return checked.error();
    const ovBmpHeader header = checked.value();
    const int width = header.width;
    const int height = header.height;
    const uint16_t bpp = header.bitsPerPixel;
    const uint32_t pixelOffset = header.pixelOffset;
    const uint32_t headersEnd = header.headersEnd;

    if (bpp <= 8) {
        const uint64_t entries = (pixelOffset - headersEnd) / 4;
        if (entries == 0 || entries > 256)
            return notBmp(name, "palette of " + std::to_string(entries) + " entries");
        if (!paletteIndicesValid(data + pixelOffset, width, height, bpp, static_cast<uint32_t>(entries)))
            return notBmp(name, "pixel refers to a missing palette entry");
    }
    if (size > static_cast<size_t>(INT32_MAX))
        return failure(name + " is too large to be a picture");
    if (ovBmpReadsDirectly(header)) {
        // checkHeaders has made sure that every row is there.
        DirectReader reader(header);
        reader.convert(data + pixelOffset, height);
        return reader.take();
    }

    int decodedWidth = 0;
    int decodedHeight = 0;
    int channels = 0;
    stbi_uc* rgba =
        stbi_load_from_memory(data, static_cast<int>(size), &decodedWidth, &decodedHeight, &channels, 4);
    if (rgba == nullptr)
        return notBmp(name, stbi_failure_reason() ? stbi_failure_reason() : "cannot decode");
    struct Release {
        stbi_uc* p;
        ~Release() { stbi_image_free(p); }
    } release{rgba};
    if (decodedWidth != width || decodedHeight != height)
        return notBmp(name, "decoded size disagrees with the header");

    ovImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bpp;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    image.pixels.resize(count);
    // 32-bit pictures are stored premultiplied, so their alpha is kept as it is; the
    // others have no alpha and are opaque.
    const bool keepAlpha = bpp == 32;
    for (size_t i = 0; i < count; ++i) {
        const stbi_uc* p = rgba + i * 4;
        const uint32_t alpha = keepAlpha ? p[3] : 0xFFu;
        image.pixels[i] = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                          (static_cast<uint32_t>(p[2]) << 16) | (alpha << 24);
    }
    return image;
}

namespace {
// Reads the rows of a regular file of a direct form, from just after its headers.
ovResult<ovImage> readDirectly(const ovFileDescriptor& file, const ovBmpHeader& header,
                               const std::string& path) {
    DirectReader reader(header);
    const size_t rowBytes = reader.rowBytes();
    const size_t rowsPerRead =
        std::min(std::max<size_t>(1, kReadChunk / rowBytes), static_cast<size_t>(header.height));
    // Not cleared: every byte converted has been read first.
    const std::unique_ptr<uint8_t[]> chunk(new uint8_t[rowsPerRead * rowBytes]);
    while (reader.rowsDone() < header.height) {
        const size_t rows = std::min(rowsPerRead, static_cast<size_t>(header.height - reader.rowsDone()));
        const ssize_t n = file.readAll(chunk.get(), rows * rowBytes);
        if (n < 0)
            return failure("cannot read " + path + ": " + std::strerror(errno));
        // Cut short since its length was looked at.
        if (static_cast<size_t>(n) < rows * rowBytes)
            return notBmp(path, "truncated pixel data");
        reader.convert(chunk.get(), static_cast<int>(rows));
    }
    return reader.take();
}
} // namespace

ovResult<ovImage> ovLoadBmpFile(const std::string& path) {
    struct stat st {};
    ovResult<ovFileDescriptor> opened = openPicture(path, st);
    if (!opened)
        return opened.error();
    const ovFileDescriptor& file = opened.value();

    // The headers first: a regular file of a direct form is read straight into the picture.
    uint8_t head[kLongestHeaders];
    const ssize_t headBytes = S_ISREG(st.st_mode) ? file.readAll(head, sizeof head) : 0;
    if (headBytes < 0)
        return failure("cannot read " + path + ": " + std::strerror(errno));
    if (headBytes > 0) {
        const ovResult<ovBmpHeader> header =
            checkHeaders(head, static_cast<size_t>(headBytes), static_cast<uint64_t>(st.st_size), path);
        if (header && ovBmpReadsDirectly(header.value())) {
            if (::lseek(file.get(), header.value().pixelOffset, SEEK_SET) < 0)
                return failure("cannot read " + path + ": " + std::strerror(errno));
            return readDirectly(file, header.value(), path);
        }
        // Any other form, or a refusal, is read whole and decoded as before.
        if (::lseek(file.get(), 0, SEEK_SET) < 0)
            return failure("cannot read " + path + ": " + std::strerror(errno));
    }

    std::vector<uint8_t> bytes;
    if (S_ISREG(st.st_mode))
        bytes.reserve(static_cast<size_t>(st.st_size));
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = file.readAll(chunk, sizeof chunk);
        if (n < 0)
            return failure("cannot read " + path + ": " + std::strerror(errno));
        if (static_cast<int64_t>(bytes.size()) + n > kMaxFileBytes)
            return failure(path + " is too large to be a picture");
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (static_cast<size_t>(n) < sizeof chunk)
            break;
    }
    return ovDecodeBmp(bytes.data(), bytes.size(), path);
}

ovResult<ovBmpHeader> ovReadBmpHeader(const std::string& path) {
    struct stat st {};
    ovResult<ovFileDescriptor> opened = openPicture(path, st);
    if (!opened)
        return opened.error();
    uint8_t head[kLongestHeaders];
    const ssize_t n = opened.value().readAll(head, sizeof head);
    if (n < 0)
        return failure("cannot read " + path + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return failure("cannot read " + path + ": not a regular file");
    return checkHeaders(head, static_cast<size_t>(n), static_cast<uint64_t>(st.st_size), path);
}
