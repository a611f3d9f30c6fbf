// The one function of the thumbnailer module, the small library that makes
// pictures of films with libffmpegthumbnailer. The program opens the module
// when it first needs a picture (platform/media/ThumbnailMaker.h), so that the
// hundred and seventy libraries of the decoders are not loaded at every
// start. Plain C, so that the two sides need agree on nothing but this.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Makes a picture of the film at `path` (bytes, as the system names it) from
// `seekPercent` into it, its larger side `size` pixels, its proportions kept.
// On success returns 0 and gives packed RGB rows (3 bytes a pixel) in
// *pixels, allocated with malloc for the caller to free; otherwise returns
// non-zero and gives nothing.
typedef int (*VidrolleMakeThumbnailFunction)(const char* path, int size, int seekPercent, unsigned char** pixels,
                                             int* width, int* height);

#define VIDROLLE_MAKE_THUMBNAIL_SYMBOL "vidrolle_make_thumbnail"

int vidrolle_make_thumbnail(const char* path, int size, int seekPercent, unsigned char** pixels, int* width,
                            int* height);

#ifdef __cplusplus
}
#endif
