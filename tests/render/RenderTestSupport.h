#pragma once
#include <filesystem>
#include <memory>
#include <string>

#include "Files.h"
#include "FontMap.h"
#include "FontSupport.h"
#include "ScopedLibrary.h"
#include "model/ExampleNets.h"
#include "model/TPNObjekt.h"

namespace qz::test {

// A root object built by one of the example builders, with Qt metrics
// installed for its labels before it is built.
struct BuiltNet {
    std::unique_ptr<render::ScopedQtMeasuring> metrics = std::make_unique<render::ScopedQtMeasuring>();
    std::unique_ptr<TPNObjekt> root = std::make_unique<TPNObjekt>();
};

// Occurrences of `needle` in `hay`.
int CountOf(const std::string& hay, const std::string& needle);

} // namespace qz::test

namespace qz::test {

// Makes the object library know the example class "Tank", built in memory,
// for its lifetime.
struct ScopedTankLibrary : ScopedLibrary {
    ScopedTankLibrary() { Define(examples::kTankClass, examples::BuildTankClass); }
};

// Builds the named example ("kinds", "hybrid", "producer", "plant").
void BuildExample(const std::string& name, TPNObjekt& root);

} // namespace qz::test
