// The extension kalvio._kalvio; the package kalvio (kalvio/__init__.py)
// presents it.
#include "PySignal.h"

PYBIND11_MODULE(_kalvio, m)
{
    m.doc() = "The compiled part of the package kalvio: signals, operations, checks and criteria.";
    PyInitErrors(m);
    PyInitSignal(m);
    PyInitOperations(m);
    PyInitCriteria(m);
    PyInitAssess(m);
    PyInitSimulation(m);
}
