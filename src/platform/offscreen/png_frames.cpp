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
  FrameWriter(std::string dir, std::function<std::chrono::milliseconds()> hold)
      : dir_(std::move(dir)), hold_(std::move(hold)) {}
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;
  ~FrameWriter() {
    if (list_ != nullptr) {
      std::fclose(list_);
    }
  }
  void write(cairo_surface_t* surface);

 private:
  std::string dir_;
  std::function<std::chrono::milliseconds()> hold_;
  std::FILE* list_ = nullptr;  // frames.txt, open from the first frame on
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
  const std::string list = dir_ + "/frames.txt";
  auto fail = [](const std::string& file, const char* reason) {
    throw FrameWriteError("cannot write " + file + ": " + reason);
  };
  Sink sink{std::fopen(path.c_str(), "wb")};
  if (sink.file == nullptr) {
    fail(path, std::strerror(errno));
  }
  const cairo_status_t status = cairo_surface_write_to_png_stream(surface, write_chunk, &sink);
  // A full disk may only show when the buffer is flushed or the file closed.
  if (status == CAIRO_STATUS_SUCCESS && std::fflush(sink.file) != 0) {
    sink.error = errno;
  }
  if (std::fclose(sink.file) != 0 && sink.error == 0) {
    sink.error = errno;
  }
  if (sink.error != 0 || status != CAIRO_STATUS_SUCCESS) {
    std::remove(path.c_str());  // no partial frame
    fail(path, sink.error != 0 ? std::strerror(sink.error) : cairo_status_to_string(status));
  }
  if (list_ == nullptr && (list_ = std::fopen(list.c_str(), "w")) == nullptr) {
    fail(list, std::strerror(errno));
  }
  if (std::fprintf(list_, "%s %lld\n", name, static_cast<long long>(hold_().count())) < 0 ||
      std::fflush(list_) != 0) {
    fail(list, std::strerror(errno));
  }
  ++written_;
}

}  // namespace

std::unique_ptr<Surface> png_frames(const std::string& dir, ScreenSize size, float scale,
                                    std::function<std::chrono::milliseconds()> hold) {
  const auto width = static_cast<int>(std::ceil(static_cast<float>(size.width) * scale));
  const auto height = static_cast<int>(std::ceil(static_cast<float>(size.height) * scale));
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    throw FrameSizeError("frames of " + std::to_string(width) + "x" + std::to_string(height) +
                         " device pixels are more than the drawing can make");
  }
  auto surface = std::make_unique<CairoSurface>(
      image, Box{0, 0, width, height}, scale,
      [image, writer = std::make_shared<FrameWriter>(dir, std::move(hold))](const Damage&) {
        writer->write(image);
      });
  cairo_surface_destroy(image);  // the surface holds its own reference
  return surface;
}

}  // namespace rovanel
