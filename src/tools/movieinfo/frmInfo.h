// frmInfo: the movie information window ("Info"), shown modally for the
// record OpenFor hands it (the player's ShowMovieInfo). The Summary page: the
// movie's thumbnail (made in the cache, or beside the movie with the
// Satellite option, when missing; a double-click on the page makes it
// afresh), title and description, and one row per fact (MovieInfoRows).
// A double-click on "Where:" copies the full path. Closing releases the
// hidden snapshot window and clears the record.
#pragma once
#include <string>

#include "tools/movieinfo/MovieInfoRows.h"
#include "tools/common/ToolWindow.h"

namespace forms {
class Label;
class PictureBox;
class TextBox;
}  // namespace forms

namespace tools {

class frmInfo : public ToolWindow {
 public:
  static constexpr int kPageWidth = 440, kPageHeight = 340;
  static constexpr int kThumbX = 16, kThumbY = 8;

  frmInfo();

  // Opens the window over a movie's record (0 modeless, 1 modal); it keeps
  // the record until it closes.
  void OpenFor(const SWFInfo& movie, int mode);
  const SWFInfo& Movie() const { return movie_; }

  // Public operations.
  void InitPages();
  void ShowPage();
  void ShowInfo();

  // The thumbnail's file ("" for a record that was not read).
  const std::wstring& ThumbFile() const { return thumbFile_; }
  // The rows as shown.
  const MovieInfoRows& Rows() const { return rows_; }

  // Event handlers.
  void Page_DblClick();
  void lblWhere_DblClick();
  void cbClose_Click() { Close(); }

  forms::PictureBox* Page = nullptr;
  forms::TextBox* WhereValue = nullptr;

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  std::wstring HelpTopic() const override { return L"get-info"; }

 private:
  void PaintPage();
  void MakeThumbnail();

  SWFInfo movie_;
  std::wstring thumbFile_;
  MovieInfoRows rows_;
};

// The program-wide instance.
frmInfo& InfoWindow();

// Renders the movie of a record off-screen and saves it as a JPEG thumbnail
// of the thumbnail quality option; false (and no file) when the record names
// no movie or no picture could be made or saved.
bool MakeInfoThumbnail(const SWFInfo& info, const std::wstring& file);

}  // namespace tools
