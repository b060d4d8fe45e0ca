/* libtessel from C: a grey page with transparency, flatted with
 * colour under the lines, must equal `tessel run`'s result for the same page
 * and options. The result goes into a second buffer, the page's staying as
 * it was.
 *
 * Usage: c_interface_test TESSEL PAGE PRESETS */
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "tessel.h"

static unsigned char* ReadGreyAlpha(const char* path, png_image* image) {
  memset(image, 0, sizeof *image);
  image->version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(image, path)) return NULL;
  image->format = PNG_FORMAT_GA;
  unsigned char* pixels = malloc(PNG_IMAGE_SIZE(*image));
  if (pixels && png_image_finish_read(image, NULL, pixels, 0, NULL)) return pixels;
  free(pixels);
  return NULL;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s TESSEL PAGE PRESETS\n", argv[0]);
    return 2;
  }
  char folder[] = "/tmp/tessel-c-test-XXXXXX";
  if (!mkdtemp(folder)) return 2;
  char page_file[64], reference_file[64], command[4096];
  snprintf(page_file, sizeof page_file, "%s/page.png", folder);
  snprintf(reference_file, sizeof reference_file, "%s/reference.png", folder);

  png_image image;
  unsigned char* page = ReadGreyAlpha(argv[2], &image);
  if (!page || !png_image_write_to_file(&image, page_file, 0, page, 0, NULL)) {
    fprintf(stderr, "cannot lay out %s as grey with transparency\n", argv[2]);
    return 2;
  }

  const char* options[] = {"--under-lines", "--no-anti-aliased", "--tolerance", "40", "--presets", argv[3]};
  const int count = sizeof options / sizeof *options;
  snprintf(command, sizeof command, "'%s' run '%s' -o '%s' --under-lines --no-anti-aliased --tolerance 40 --presets '%s'",
           argv[1], page_file, reference_file, argv[3]);
  if (system(command) != 0) {
    fprintf(stderr, "tessel run failed: %s\n", command);
    return 1;
  }

  /* Rows padded differently in the page and in the result buffer. */
  const size_t row = PNG_IMAGE_ROW_STRIDE(image), height = image.height;
  unsigned char* padded = calloc(height, row + 3);
  unsigned char* result = calloc(height, row + 7);
  for (size_t y = 0; y < height; ++y) memcpy(padded + y * (row + 3), page + y * row, row);
  tessel_image source = {padded, (int)image.width, (int)height, (ptrdiff_t)(row + 3), 2, TESSEL_RGB};
  tessel_image flats = {result, (int)image.width, (int)height, (ptrdiff_t)(row + 7), 2, TESSEL_RGB};
  const int status = tessel_flat(&source, &flats, options, count);
  if (status != TESSEL_OK) {
    fprintf(stderr, "tessel_flat: status %d: %s\n", status, tessel_error_message());
    return 1;
  }
  png_image reference_image;
  unsigned char* reference = ReadGreyAlpha(reference_file, &reference_image);
  if (!reference || reference_image.width != image.width || reference_image.height != height) {
    fprintf(stderr, "%s: not the page's size\n", reference_file);
    return 1;
  }
  int failed = 0;
  for (size_t y = 0; y < height && !failed; ++y) {
    for (size_t i = 0; i < row; ++i) {
      if (result[y * (row + 7) + i] != reference[y * row + i]) {
        fprintf(stderr, "pixel (%zu, %zu) channel %zu: %d, tessel run %d\n", i / 2, y, i % 2,
                result[y * (row + 7) + i], reference[y * row + i]);
        failed = 1;
        break;
      }
    }
    if (memcmp(padded + y * (row + 3), page + y * row, row) != 0) {
      fprintf(stderr, "row %zu of the page changed although the result had a buffer of its own\n", y);
      failed = 1;
    }
  }
  /* Were nothing flatted, the comparison above would pass just as well. */
  if (memcmp(reference, page, row * height) == 0) {
    fprintf(stderr, "tessel run gave the page back as it was: nothing was flatted\n");
    failed = 1;
  }
  free(result);
  free(padded);
  free(reference);
  free(page);
  unlink(page_file);
  unlink(reference_file);
  rmdir(folder);
  return failed;
}
