#pragma once

#include <string>
#include <string_view>

namespace trubkom::common {

// A folder of the user's own in the system's temporary folder (TMPDIR, else /tmp): created with
// a unique name "<prefix><process id>-XXXXXX" and mode 0700, so no other user can read it or
// plant files in it, and removed with everything in it when the object goes. path() is empty
// when it could not be created.
class PrivateFolder {
 public:
  explicit PrivateFolder(std::string_view name_prefix);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  // Absolute, without a trailing '/'.
  const std::string& path() const { return path_; }
  bool ok() const { return !path_.empty(); }

 private:
  std::string path_;
};

// Removes the user's private folders of the prefix whose process is gone (killed while it held
// decrypted files); returns how many.
int RemoveAbandonedPrivateFolders(std::string_view name_prefix);

}  // namespace trubkom::common
