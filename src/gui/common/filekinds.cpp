#include "gui/common/filekinds.h"

#include "core/pathsplit.h"

namespace FileKind {
const TFileKind Fractal{"zlf", "Fractals (*.zlf)|*.zlf|All files (*.*)|*.*", true, false};
const TFileKind Project{
    "kvp", "Project Files (*.kvp)|*.kvp|XML Files (*.xml)|*.xml|All files (*.*)|*.*", true,
    false};
const TFileKind Palette{
    "cp1", "Color Palette 1D (*.cp1)|*.cp1|XML Files (*.xml)|*.xml|All files (*.*)|*.*", false,
    true};
const TFileKind Image{"png", "PNG Image (*.png)|*.png|JPEG Image (*.jpg *.jpeg)|*.jpg;*.jpeg",
                      false, false};
const TFileKind Movie{"mp4", "MP4 Video (*.mp4)|*.mp4|Numbered PNG Images (*.png)|*.png", false,
                      false};
}  // namespace FileKind

const std::vector<const TFileKind*>& FileKinds() {
  static const std::vector<const TFileKind*> kinds = {&FileKind::Fractal, &FileKind::Project,
                                                      &FileKind::Palette, &FileKind::Image,
                                                      &FileKind::Movie};
  return kinds;
}

const TFileKind* FileKindOfExtension(const std::string& extension) {
  for (const TFileKind* kind : FileKinds()) {
    if (extension == kind->Extension) return kind;
  }
  return nullptr;
}

const TFileKind* FileKindOf(const std::string& path) {
  std::string extension;
  if (!LowerFileExtension(path, extension)) return nullptr;
  return FileKindOfExtension(extension);
}

TFileDialogRequest OpenFileRequest(const TFileKind& kind, const std::string& title) {
  TFileDialogRequest request;
  request.Title = title;
  request.DefaultExt = kind.Extension;
  request.Filter = kind.Filter;
  request.MustExist = true;
  return request;
}

TFileDialogRequest SaveFileRequest(const TFileKind& kind, const std::string& title) {
  TFileDialogRequest request = OpenFileRequest(kind, title);
  request.OverwritePrompt = true;
  return request;
}
