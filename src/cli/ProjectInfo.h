#pragma once
// A readable account of a project for the command line: what an engineer
// checks before programming a controller.

#include "model/Project.h"
#include "scheme/SchemeDocument.h"

#include <string>

namespace tralcon::cli {

std::string DescribeProject(const TProject& project, const TSchemeDocument& scheme);

} // namespace tralcon::cli
