/* libtessel from C: a grey page with transparency, flatted in place with
 * colour under the lines, must equal `tessel run`'s result for the same page
 * and options.
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

  tessel_image buffer = {page, (int)image.width, (int)image.height, (ptrdiff_t)PNG_IMAGE_ROW_STRIDE(image), 2,
                         TESSEL_RGB};
  const int status = tessel_flat(&buffer, NULL, options, count);
  if (status != TESSEL_OK) {
    fprintf(stderr, "tessel_flat: status %d: %s\n", status, tessel_error_message());
    return 1;
  }
  png_image reference_image;
  unsigned char* reference = ReadGreyAlpha(reference_file, &reference_image);
  if (!reference || reference_image.width != image.width || reference_image.height != image.height) {
    fprintf(stderr, "%s: not the page's size\n", reference_file);
    return 1;
  }
  int failed = 0;
  for (size_t i = 0; i < PNG_IMAGE_SIZE(image); ++i) {
    if (page[i] != reference[i]) {
      const size_t pixel = i / 2;
      fprintf(stderr, "pixel (%zu, %zu) channel %zu: %d, tessel run %d\n", pixel % image.width,
              pixel / image.width, i % 2, page[i], reference[i]);
      failed = 1;
      break;
    }
  }
  /* A run that changes nothing would pass the comparison above just as well. */
  unsigned char* original = ReadGreyAlpha(page_file, &image);
  if (!original || memcmp(original, page, PNG_IMAGE_SIZE(image)) == 0) {
    fprintf(stderr, "the page came back as it was: nothing was flatted\n");
    failed = 1;
  }
  free(original);
  free(reference);
  free(page);
  unlink(page_file);
  unlink(reference_file);
  rmdir(folder);
  return failed;
}
