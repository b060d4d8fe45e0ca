#include "io/ZipInFile.h"

#include <cerrno>
#include <cstdio>

namespace tessel::io {

namespace {

// Bytes gathered before each write: libzip hands data over in small blocks.
constexpr size_t kBufferBytes = size_t{1} << 20;

struct FileSink {
  std::string path;
  FILE* file = nullptr;
  zip_error_t error;
};

zip_int64_t Fail(FileSink& sink, int zipError) {
  zip_error_set(&sink.error, zipError, errno);
  return -1;
}

// A writable source as libzip asks for one. Only writing is ever done: the
// archive is new, so there is nothing to read, and a source that cannot say
// how large it is has no file yet.
zip_int64_t Command(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  FileSink& sink = *static_cast<FileSink*>(state);
  switch (command) {
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_SEEK,
                                            ZIP_SOURCE_TELL, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                            ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                                            ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE,
                                            ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    case ZIP_SOURCE_STAT:
      errno = ENOENT;
      return Fail(sink, ZIP_ER_READ);
    case ZIP_SOURCE_BEGIN_WRITE:
      sink.file = std::fopen(sink.path.c_str(), "wbe");
      if (!sink.file) return Fail(sink, ZIP_ER_OPEN);
      std::setvbuf(sink.file, nullptr, _IOFBF, kBufferBytes);
      return 0;
    case ZIP_SOURCE_WRITE:
      if (std::fwrite(data, 1, length, sink.file) != length) return Fail(sink, ZIP_ER_WRITE);
      return static_cast<zip_int64_t>(length);
    case ZIP_SOURCE_SEEK_WRITE: {
      const auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &sink.error);
      if (!seek) return -1;
      return fseeko(sink.file, seek->offset, seek->whence) == 0 ? 0 : Fail(sink, ZIP_ER_SEEK);
    }
    case ZIP_SOURCE_TELL_WRITE: {
      const off_t at = ftello(sink.file);
      return at >= 0 ? at : Fail(sink, ZIP_ER_TELL);
    }
    case ZIP_SOURCE_COMMIT_WRITE: {
      const bool written = std::fclose(sink.file) == 0;
      sink.file = nullptr;
      return written ? 0 : Fail(sink, ZIP_ER_WRITE);
    }
    case ZIP_SOURCE_ROLLBACK_WRITE:
      // What was written stays for the file's owner to remove.
      std::fclose(sink.file);
      sink.file = nullptr;
      return 0;
    case ZIP_SOURCE_REMOVE:
      return 0;  // an empty archive: the file stays, the owner's to remove
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&sink.error, data, length);
    case ZIP_SOURCE_FREE:
      if (sink.file) std::fclose(sink.file);
      zip_error_fini(&sink.error);
      delete &sink;
      return 0;
    default:
      zip_error_set(&sink.error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

}  // namespace

zip_t* CreateZipInFile(const std::string& path, zip_error_t* error) {
  auto* sink = new FileSink{path, nullptr, {}};
  zip_error_init(&sink->error);
  zip_source_t* source = zip_source_function_create(Command, sink, error);
  if (!source) {
    zip_error_fini(&sink->error);
    delete sink;
    return nullptr;
  }
  zip_t* archive = zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, error);
  if (!archive) zip_source_free(source);  // which frees the sink
  return archive;
}

}  // namespace tessel::io
