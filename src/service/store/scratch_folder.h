#pragma once

#include <string>

namespace quorvel::service {

// A folder beside the catalogue in which a new catalogue is built before it
// is renamed into place.  Its name is the catalogue's file name,
// ".quorvel-scratch-" and six random characters, a name nobody else would
// choose, and before anything else it gets a marker file saying whose it is.
// Only a folder with both is ever cleared, and in it only the files named
// here: the database, its journal or log, and the marker.  Whatever else an
// operator keeps beside the catalogue or puts into the folder stays.
class ScratchFolder {
 public:
  // Creates the folder; throws StoreError when it cannot.
  explicit ScratchFolder(const std::string& catalogue_path);
  // Clears and removes the folder, with whatever is still in it of ours.
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Where to build the new catalogue.
  const std::string& database() const { return database_; }

  // Clears the folders that builds killed part-way left beside the catalogue
  // at `catalogue_path`.  Only while no build runs, that is under the import
  // lock, which every build holds.
  static void RemoveLeftovers(const std::string& catalogue_path);

 private:
  std::string folder_;
  std::string database_;
};

}  // namespace quorvel::service
