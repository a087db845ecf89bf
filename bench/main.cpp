#include "BluetoothBench.h"
#include "SendBench.h"
#include "SessionBench.h"

#include <QCoreApplication>

// brindle-stick-bench: the transport's host costs, measured side by side in one run, one figure
// per line. Each group of figures lives in its own file pair.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    for (const auto& measure : {measureSession, measureSend, measureBluetooth}) {
        for (const Figure& figure : measure())
            print(figure);
    }
    return 0;
}
