#include "platform/offscreen/png_frames.hpp"

#include <cairo.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/cairo/cairo_surface.hpp"

namespace rovanel {

namespace {

class FrameWriter {
 public:
  explicit FrameWriter(std::string dir) : dir_(std::move(dir)) {}
  void write(cairo_surface_t* surface);

 private:
  std::string dir_;
  long written_ = 0;
};

struct Sink {
  std::FILE* file;
  int error = 0;
};

cairo_status_t write_chunk(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<Sink*>(closure);
  if (std::fwrite(data, 1, length, sink->file) != length) {
    sink->error = errno;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

void FrameWriter::write(cairo_surface_t* surface) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06ld.png", written_ + 1);
  const std::string path = dir_ + "/" + name;
  auto fail = [&](const char* reason) {
    throw FrameWriteError("cannot write " + path + ": " + reason);
  };
  Sink sink{std::fopen(path.c_str(), "wb")};
  if (sink.file == nullptr) {
    fail(std::strerror(errno));
  }
  const cairo_status_t status = cairo_surface_write_to_png_stream(surface, write_chunk, &sink);
  // A full disk may only show when the buffer is flushed or the file closed.
  if (status == CAIRO_STATUS_SUCCESS && std::fflush(sink.file) != 0) {
    sink.error = errno;
  }
  if (std::fclose(sink.file) != 0 && sink.error == 0) {
    sink.error = errno;
  }
  if (sink.error != 0) {
    fail(std::strerror(sink.error));
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    fail(cairo_status_to_string(status));
  }
  ++written_;
}

}  // namespace

std::unique_ptr<Surface> png_frames(const std::string& dir, ScreenSize size, float scale) {
  const auto width = static_cast<int>(std::ceil(static_cast<float>(size.width) * scale));
  const auto height = static_cast<int>(std::ceil(static_cast<float>(size.height) * scale));
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  auto surface = std::make_unique<CairoSurface>(
      image, width, height, 0, 0, scale,
      [image, writer = FrameWriter(dir)](const Damage&) mutable { writer.write(image); });
  cairo_surface_destroy(image);  // the surface holds its own reference
  return surface;
}

}  // namespace rovanel
