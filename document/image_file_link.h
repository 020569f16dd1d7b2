// A link to a picture or a picture sequence, with its own undo history over (path, stamp) snapshots
// as its first observer.
#pragma once
#include <list>

#include "document/file_link.h"
#include "document/undo_ctrl.h"

class DS_ImageFileLink : public DS_FileLink3 {
 public:
  struct Snapshot {
    ds_string path;
    LONGLONG stamp = 0;
    bool operator==(const Snapshot&) const = default;
  };

  class UndoImage final : public UndoCtrl {
   public:
    explicit UndoImage(DS_ImageFileLink* link) : link_(link) {}
    UndoImage(const UndoImage&) = delete;
    UndoImage& operator=(const UndoImage&) = delete;
    ~UndoImage() override;

    void Detach() override { link_ = nullptr; }
    void OnChange(MediaControl*) override { Sync(); }
    // The saved snapshot follows the link.
    void Sync();
    // Unlike the value histories, undo and redo always set the link and tell the other observers,
    // even when there was nothing to step over.
    void Undo() override;
    void Redo() override;
    void Record() override;

    const Snapshot& Saved() const { return saved_; }
    const std::list<Snapshot>& History() const { return history_; }

   private:
    void Apply();

    DS_ImageFileLink* link_;
    Snapshot saved_;
    std::list<Snapshot> history_;  // newest first
    std::list<Snapshot>::iterator cursor_ = history_.begin();
  };

  DS_ImageFileLink() { Register(); }
  explicit DS_ImageFileLink(const DS_FileLink3& link) : DS_FileLink3(link) { Register(); }
  DS_ImageFileLink(const DS_ImageFileLink& other) : DS_FileLink3(other) { Register(); }
  // Path and stamp are taken and the history follows; no other observer is told.
  DS_ImageFileLink& operator=(const DS_FileLink3& other) {
    DS_FileLink3::operator=(other);
    undo_.Sync();
    return *this;
  }
  DS_ImageFileLink& operator=(const DS_ImageFileLink& other) {
    return *this = static_cast<const DS_FileLink3&>(other);
  }

  UndoImage& UndoControl() { return undo_; }

 private:
  void Register() {
    AddObserver(&undo_);
    undo_.Sync();
  }

  UndoImage undo_{this};
};
