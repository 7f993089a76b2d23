// A program that wants only the decoders: it links the image library and
// platform, nothing of GL, GLUT or the viewer.  Prints "W H" of a bitmap.
// Built here against the tree and, by the install test, against the
// installed package.
#include <cstdio>
#include <cstdlib>

#include "image/image.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    setImageErrorPopups(0);
    ImageRGB* image = loadDibImage(argv[1]);
    if (!image)
        return 1;
    std::printf("%d %d\n", image->width, image->height);
    std::free(image->pixels);
    std::free(image);
    return 0;
}
