#include "RenderTestSupport.h"

#include <fstream>

namespace qz::test {

int CountOf(const std::string& hay, const std::string& needle) {
    int n = 0;
    for (std::size_t pos = hay.find(needle); pos != std::string::npos; pos = hay.find(needle, pos + 1)) ++n;
    return n;
}

} // namespace qz::test

namespace qz::test {

void BuildExample(const std::string& name, TPNObjekt& root) {
    if (name == "kinds") examples::BuildElementKinds(root);
    if (name == "hybrid") examples::BuildHybrid(root);
    if (name == "producer") examples::BuildProducerConsumer(root);
    if (name == "plant") examples::BuildPlant(root);
}

} // namespace qz::test
