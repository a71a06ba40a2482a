// A call shows at most one message box, as the driver does, so that boxes
// cannot keep it busy without end.
#pragma once

class BoxAllowance {
 public:
  // True the first time only.
  bool Take() {
    bool first = !taken;
    taken = true;
    return first;
  }

 private:
  bool taken = false;
};
