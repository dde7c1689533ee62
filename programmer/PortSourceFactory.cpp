#include "PortSourceFactory.h"

#include "HardwarePortSource.h"

Expected<MadePortSource> makePortSource(const SimulatorSettings& simulator,
                                        const std::string& basePlace, const BoardClock& clock) {
  MadePortSource made;
  if (!simulator.simulate) {
    made.ports = makeHardwarePortSource(basePlace);
    return made;
  }
  made.simulator = std::make_unique<BoardSimulator>();
  made.simulator->setClock(clock);
  made.simulator->setLatency(simulator.latency);
  applySimulatedFaults(simulator.faults, *made.simulator);
  if (!simulator.chipFile.empty()) {
    Expected<std::unique_ptr<ChipFile>> opened =
        ChipFile::open(simulator.chipFile, made.simulator->chip());
    if (!opened) return Failure{opened.error()};
    made.chipFile = std::move(*opened);
  }
  made.ports = std::make_unique<SimulatorPortSource>(*made.simulator, basePlace);
  return made;
}
