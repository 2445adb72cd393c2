// SPDX-License-Identifier: MIT
#pragma once
// Shell completion scripts for the tool, written from its option table: the installed scripts
// are this output (cli/completions/), so a new option reaches them by regenerating.

#include "cli/CommandLine.h"

#include <span>
#include <string>

namespace Cli {

std::string BashCompletion(std::span<const OptionEntry> options);
std::string ZshCompletion(std::span<const OptionEntry> options);

} // namespace Cli
