// What tests see of the stand-in's filter graphs: their filters and connections, the file that
// plays, where it is on the clock and at what volume; and the switches that take the graph or one
// of its interfaces away.
#pragma once
#include <string>
#include <vector>

#include <dshow.h>

namespace dshow {

struct FilterProbe {
  std::u16string name;
  bool source = false;
  bool renderer = false;
  bool connected = false;  // any of its pins
};

struct GraphProbe {
  std::vector<FilterProbe> filters;  // in the graph's order
  OAFilterState state = State_Stopped;
  std::u16string playing;  // the file of the source whose chain reaches a renderer; empty when none
  REFERENCE_TIME position = 0;
  REFERENCE_TIME duration = 0;
  LONG volume = 0;
  size_t queuedEvents = 0;
};

// Every live graph, in creation order.
std::vector<GraphProbe> Graphs();

// Raises every end of file the clock has passed now. A background thread does the same every few
// milliseconds; tests on virtual time call it after moving the clock.
void ServiceClock();

// Tests take the filter graph away (CoCreateInstance gives REGDB_E_CLASSNOTREG), or make the graph
// refuse one interface (null: none refused).
void SetFilterGraphAvailable(bool available);
void RefuseInterface(const IID* iid);

}  // namespace dshow
