// SPDX-License-Identifier: MIT

// Prints the window shape of a picture file as "x y w h" lines: the e2e tests compare it
// with the outline the X server reports for the running program.
#include "backends/qt/QtPictureCodec.h"
#include "skin/ParseRect.h"
#include "skin/WindowShape.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    SkinRect shot{};
    if (argc != 3 || !ParseRect(argv[2], shot)) {
        std::fprintf(stderr, "usage: tarvik_shape_dump PICTURE '(x, y, w, h)'\n");
        return 2;
    }
    QtPictureCodec codec;
    const Picture picture = codec.LoadPicture(argv[1]);
    if (!picture)
        return 1;
    for (const RegionRect& r : ComputeWindowShape(*picture, shot))
        std::printf("%d %d %d %d\n", r.X, r.Y, r.Width, r.Height);
    return 0;
}
