// The package builder, named in the tests' own namespace.
#pragma once

#include "package-builder/PackageBuilder.h"

namespace fixrd::test {
using namespace fixrd::builder;
} // namespace fixrd::test
