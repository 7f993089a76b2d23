// PNG and JPEG pictures: decoding from memory or from a file, and PNG
// encoding.  These are cores like the DIB and SGI decoders: they show and
// print nothing, never end the process, and return a status together with
// one complete line saying what went wrong.  They use no GL and no GTK; the
// target `image_codecs` links libpng and libjpeg, so the DIB/BMP/SGI library
// (`image`) gains no dependency from them.
#pragma once

#include <cstddef>

// How a decode or encode ended.
enum PictureStatus {
    PICTURE_OK = 0,
    PICTURE_CANNOT_OPEN,     // the file could not be opened or read
    PICTURE_CANNOT_WRITE,    // the file could not be written
    PICTURE_UNKNOWN_FORMAT,  // neither PNG nor JPEG by its first bytes
    PICTURE_CORRUPT,         // truncated or damaged data
    PICTURE_TOO_LARGE,       // more than IMAGE_MAX_PIXELS pixels
    PICTURE_NO_MEMORY,       // an allocation failed
};

// A decoded picture: width × height pixels of `channels` bytes each (3: RGB,
// 4: RGBA), rows top first with no padding.  `pixels` comes from malloc and
// belongs to whoever holds the record; freePicture releases it.
struct PictureData {
    int width;
    int height;
    int channels;
    unsigned char* pixels;
};

// Room for any message these functions write, terminator included.
constexpr std::size_t PICTURE_MESSAGE_SIZE = 256;

// Decodes a PNG or JPEG held in memory into `channels` (3 or 4) bytes per
// pixel, converting grey, palette and 16-bit pictures; a JPEG gets an opaque
// alpha.  On PICTURE_OK *picture holds the pixels; otherwise it is left
// empty (null pixels) and `message` (PICTURE_MESSAGE_SIZE bytes, may be null)
// holds one line without a newline.
PictureStatus decodePng(const unsigned char* data, std::size_t size, int channels, PictureData* picture, char* message);
PictureStatus decodeJpeg(const unsigned char* data, std::size_t size, int channels, PictureData* picture,
                         char* message);
// Either of the two, chosen by the data's first bytes.
PictureStatus decodePicture(const unsigned char* data, std::size_t size, int channels, PictureData* picture,
                            char* message);
// The file at `path` (a plain path, used as given) read and decoded as
// decodePicture does; the message names the file.
PictureStatus readPicture(const char* path, int channels, PictureData* picture, char* message);

// Encodes a picture (3 or 4 channels, rows top first) as a PNG file's bytes
// in a new malloc'd buffer *png of *size bytes.
PictureStatus encodePng(const PictureData& picture, unsigned char** png, std::size_t* size, char* message);
// Writes the picture as a PNG file at `path`, replacing any file there only
// once the whole file is written.
PictureStatus writePng(const char* path, const PictureData& picture, char* message);

// Releases the pixels and leaves the record empty.
void freePicture(PictureData* picture);
