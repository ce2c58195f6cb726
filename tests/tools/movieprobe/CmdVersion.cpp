// Probe command: version.
#include "Probe.h"
#include "services/AppIdentity.h"

namespace {
int Version(const probe::Args&) {
  probe::Out(app::kVersionText);
  return 0;
}
probe::ProbeCommand reg(L"version", L"", Version);
}  // namespace
