#include "platform/media/thumbnailer/ThumbnailerModule.h"

#include <libffmpegthumbnailer/videothumbnailerc.h>

#include <cstdlib>
#include <cstring>

extern "C" __attribute__((visibility("default"))) int vidrolle_make_thumbnail(const char* path, int size,
                                                                             int seekPercent,
                                                                             unsigned char** pixels,
                                                                             int* width, int* height)
{
    if (!path || !pixels || !width || !height || size <= 0)
        return 1;
    // One thumbnailer a call: each worker thread makes its own, so nothing
    // of the library's state is shared between threads.
    video_thumbnailer* thumbnailer = video_thumbnailer_create();
    if (!thumbnailer)
        return 1;
    image_data* image = video_thumbnailer_create_image_data();
    if (!image) {
        video_thumbnailer_destroy(thumbnailer);
        return 1;
    }
    video_thumbnailer_set_size(thumbnailer, size, 0);
    thumbnailer->seek_percentage = seekPercent;
    thumbnailer->overlay_film_strip = 0;
    thumbnailer->maintain_aspect_ratio = 1;
    thumbnailer->thumbnail_image_type = Rgb;

    int result = 1;
    if (video_thumbnailer_generate_thumbnail_to_buffer(thumbnailer, path, image) == 0 && image->image_data_ptr &&
        image->image_data_width > 0 && image->image_data_height > 0 &&
        image->image_data_size >= image->image_data_width * image->image_data_height * 3) {
        const size_t bytes = static_cast<size_t>(image->image_data_width) * image->image_data_height * 3;
        auto* copy = static_cast<unsigned char*>(std::malloc(bytes));
        if (copy) {
            std::memcpy(copy, image->image_data_ptr, bytes);
            *pixels = copy;
            *width = image->image_data_width;
            *height = image->image_data_height;
            result = 0;
        }
    }
    video_thumbnailer_destroy_image_data(image);
    video_thumbnailer_destroy(thumbnailer);
    return result;
}
