/* Tessel's C interface: flat a page held in the caller's memory exactly as
 * `tessel run` flats a page read from a file, with the same options.
 *
 * Link with -ltessel. The library finds the Tessel module as the installed
 * `tessel` command does (beside the library, or in the install's
 * lib/tessel), or at $TESSEL_MODULE when that is set.
 *
 * Calls may come from any thread, one at a time: the module keeps no state
 * that two pages could share safely. */
#ifndef TESSEL_H
#define TESSEL_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What a call answers; tessel_error_message says more about any but
 * TESSEL_OK. */
typedef enum tessel_status {
  TESSEL_OK = 0,
  TESSEL_BAD_ARGUMENT = 1, /* a null pointer, a size or stride that cannot be, mismatched buffers */
  TESSEL_BAD_OPTION = 2,   /* an option unknown or with a bad value, an action file or palette that cannot be used */
  TESSEL_NO_MODULE = 3,    /* the Tessel module was not found or could not be loaded */
  TESSEL_NO_MEMORY = 4,    /* the page's working copies could not be had */
  TESSEL_FILTER_FAILED = 5 /* the filter refused the page or failed on it (a greyscale page with the
                              anti-aliased test, for instance); the message has its words */
} tessel_status;

/* The order of the colour channels of a 3- or 4-channel page; transparency
 * is always last. Qt and Krita hold 8-bit RGBA as B, G, R, A. */
typedef enum tessel_channel_order { TESSEL_RGB = 0, TESSEL_BGR = 1 } tessel_channel_order;

/* A page of 8-bit pixels, the channels of a pixel side by side. */
typedef struct tessel_image {
  unsigned char* pixels;
  int width;
  int height;
  ptrdiff_t stride; /* bytes from the start of one row to the next; at least width * channels */
  int channels;     /* 1 grey, 2 grey and transparency, 3 colour, 4 colour and transparency */
  int order;        /* a tessel_channel_order; ignored for grey */
} tessel_image;

/* The library's version, "major.minor". Never null. */
const char* tessel_version(void);

/* Flats `page` with `options`, the options of `tessel run` given one string
 * each as on its command line, for instance
 *   {"--palette", "Comic.aco", "--join", "--join-size", "30", "--flats-only"}:
 * the filter's parameters, --action FILE, --presets DIR, the flats options
 * --under-lines, --flats-only, --distinct and --close-gaps SIZE, and
 * --over-paper. The page has no resolution of its own: sizes in mm, in or pt
 * need --dpi N. A page with transparency (line art on a layer of its own) is
 * read over white paper for flats, which come back opaque. `options` may be
 * null when `option_count` is 0.
 *
 * The result goes into `result` when it is not null (the same width, height
 * and channels as `page`; its own stride and order), leaving `page` as it
 * was; else into `page` in place. On any failure neither buffer is touched.
 *
 * The page is taken to be sRGB (grey: the built-in grey), as a file without
 * a profile. No window is opened: the filter's dialog is never shown (an
 * action's dialog toggle is not followed), and what the filter would say in
 * an alert becomes the error message.
 *
 * Returns TESSEL_OK, or a tessel_status saying why nothing was written. */
int tessel_flat(const tessel_image* page, const tessel_image* result, const char* const* options, int option_count);

/* Why this thread's last call failed, in words for the user; "" after a
 * call that succeeded. Valid until this thread's next call. Never null. */
const char* tessel_error_message(void);

#ifdef __cplusplus
}
#endif

#endif /* TESSEL_H */
