#include "BluetoothBench.h"
#include "SendBench.h"
#include "SessionBench.h"
#include "SoakHostile.h"
#include "SoakRun.h"

#include <QCoreApplication>

#include <cstring>

// brindle-stick-bench: the transport's host costs, measured side by side in one run, one figure
// per line. Each group of figures lives in its own file pair. With --soak [SEED], the soak run
// instead.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--soak") == 0) {
        const int soaked = runSoak(argc > 2 ? unsigned(std::strtoul(argv[2], nullptr, 10)) : 1);
        return runHostileSticks() || soaked;
    }
    for (const auto& measure : {measureSession, measureSend, measureBluetooth}) {
        for (const Figure& figure : measure())
            print(figure);
    }
    return 0;
}
