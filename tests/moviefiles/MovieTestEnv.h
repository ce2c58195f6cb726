// A fixture that points the program's folders (cache, user data, Flash) into a
// fresh temporary folder and restores the projector options afterwards.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "MovieBytes.h"
#include "support/TestSupport.h"
#include "moviefiles/SWFModule.h"
#include "services/Options.h"
#include "services/Services.h"

// Makes folder the process's current folder for its lifetime.
class InFolder {
 public:
  explicit InFolder(const std::wstring& folder) {
    wchar_t here[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, here);
    saved_ = here;
    SetCurrentDirectoryW(folder.c_str());
  }
  ~InFolder() { SetCurrentDirectoryW(saved_.c_str()); }

 private:
  std::wstring saved_;
};

class MovieTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<testing_support::TempDir>();
    saved_ = std::tuple(CacheFolder, UserDataFolder, FlashFolder, ProjectorStubPath, GenericProjectors);
    CacheFolder = dir_->File(L"cache\\");
    UserDataFolder = dir_->File(L"user\\");
    FlashFolder = L"C:\\Program\\Media\\Flash\\";
    CreateDirectoryW(CacheFolder.c_str(), nullptr);
    CreateDirectoryW(UserDataFolder.c_str(), nullptr);
    LastError.clear();
  }
  void TearDown() override {
    std::tie(CacheFolder, UserDataFolder, FlashFolder, ProjectorStubPath, GenericProjectors) = saved_;
    dir_.reset();
  }
  std::wstring Write(const std::wstring& name, const moviebytes::Bytes& bytes) {
    std::wstring path = dir_->File(name);
    testing_support::WriteBytes(path, bytes);
    return path;
  }
  std::wstring Path(const std::wstring& name) const { return dir_->File(name); }
  // Writes the bytes under name and reads them: the error text, empty on success.
  std::wstring Read(const std::wstring& name, const moviebytes::Bytes& bytes, SWFInfo& info, bool full = false) {
    return GetSWFInfo(Write(name, bytes), info, full);
  }
  // Width, height, frame rate and frame count, to compare in one go.
  static auto Frame(const SWFInfo& i) { return std::tuple(i.Width, i.Height, i.FrameRate, i.FrameCount); }
  // The stub the build ships beside the test programs.
  static std::wstring ShippedStub() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"Media\\Binary\\projector.dll";
  }

  std::unique_ptr<testing_support::TempDir> dir_;
  std::tuple<std::wstring, std::wstring, std::wstring, std::wstring, bool> saved_;
};
