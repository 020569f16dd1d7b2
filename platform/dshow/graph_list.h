// The live graphs, which the clock thread services.
#pragma once

namespace dshow {

class FilterGraph;

void AddLiveGraph(FilterGraph* graph);
void RemoveLiveGraph(FilterGraph* graph);
// Whether QueryInterface for `iid` is refused by the tests' switch.
bool InterfaceRefused(const IID& iid);

}  // namespace dshow
