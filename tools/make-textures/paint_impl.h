// Template part of paint.h.
#pragma once

#include <algorithm>
#include <array>
#include <thread>

template <typename Paint>
void forEachPixel(Canvas& canvas, Paint paint)
{
    const int workers = static_cast<int>(std::max(1u, std::min(4u, std::thread::hardware_concurrency())));
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            for (int y = w; y < canvas.height; y += workers)
                for (int x = 0; x < canvas.width; ++x)
                    canvas.at(x, y) = paint(x, y);
        });
    for (std::thread& t : threads)
        t.join();
}
