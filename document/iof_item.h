// Root of every stored scene class.
#pragma once

class DS_IOF_Virtual;

class DS_IOF_Item {
 public:
  virtual ~DS_IOF_Item() = default;
  // Writes the object's class name, version and fields through the stream's write operations.
  virtual bool Save(DS_IOF_Virtual** stream) = 0;
};
