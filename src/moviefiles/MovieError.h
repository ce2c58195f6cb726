// Failures of the movie readers and writers as values: an error enumeration,
// its texts for the user, and a small result type that holds either a value
// or an error. The functions the rest of the program calls turn an error into
// its text and into LastError; the steps below them only return values.
#pragma once
#include <cstdint>
#include <string>
#include <utility>

enum class MovieError : uint8_t {
  None,
  NotFound,             // "File Not Found"
  ReadError,            // "Error Reading File"
  Truncated,            // "File Truncated": shorter than its header fields
  NotAMovie,            // "Not a Flash Movie"
  Corrupted,            // "Movie Corrupted": a damaged compressed body
  BodyTruncated,        // "Movie Truncated": a compressed body that ends early
  TooLarge,             // "Movie Too Large"
  CacheWrite,           // "Error Writing Cache"
  WriteError,           // "Error Writing File"
  OutOfMemory,          // "Out of Memory"
  NotGenericProjector,  // the executable is not a generic projector
  InvalidProjector,     // "Invalid Generic Projector": no usable movie appended
  InvalidOutputPath,    // "Invalid Output Path"
  StubNotFound,         // "Projector Stub Not Found"
  MovieNotFound,        // "Movie Not Found"
};

// The text shown for an error; "" for None.
std::wstring MovieErrorText(MovieError error);

// A value, or the error that kept it from being made.
template <class T, class E = MovieError>
class Result {
 public:
  Result(T value) : value_(std::move(value)), ok_(true) {}
  Result(E error) : error_(std::move(error)) {}

  bool Ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  const E& Error() const { return error_; }
  T& operator*() { return value_; }
  const T& operator*() const { return value_; }
  T* operator->() { return &value_; }
  const T* operator->() const { return &value_; }

 private:
  T value_{};
  E error_{};
  bool ok_ = false;
};
