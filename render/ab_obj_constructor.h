// Base of every stored description that becomes a render object. The description read from the
// document only makes its object and is then deleted; the object owns a clone of it and reads its
// settings from that clone for as long as it lives.
#pragma once
#include <windows.h>

#include "document/ds_string.h"
#include "document/iof_item.h"
#include "document/iof_virtual.h"

class DS_ABObj;

class DS_ABObj_Constructor : public DS_IOF_Item {
 public:
  DS_ABObj_Constructor() = default;
  ~DS_ABObj_Constructor() override = default;

  // Writes the "DS_ABObj_Constructor" record.
  bool Save(DS_IOF_Virtual** stream) override;

  // A new render object built around a clone of this description.
  virtual DS_ABObj* CreateObject() = 0;
  // Called on a clone to give it an identity of its own; nothing here.
  virtual void RenewIdentity() {}
  // Called on an object's clone whenever its slide becomes current; nothing here.
  virtual void Restart() {}
  // The description's answer to its object's query; none here.
  virtual DS_ABObj_Constructor* QueryFromObject(DS_ABObj* object);

  // The record: class name, version 1, name. The read returns false once the stream has failed.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  bool ReadBase(DS_IOF_Virtual** stream);

  INT placed = 1;  // travels with a copy, never stored
  ds_string name;

 protected:
  // The copy every clone starts from: placed and name.
  DS_ABObj_Constructor(const DS_ABObj_Constructor& other) = default;
  DS_ABObj_Constructor& operator=(const DS_ABObj_Constructor&) = delete;
};
