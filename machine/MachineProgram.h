// The quorvel-machine command line, shared by the quorvel-machine program and `tavren machine`.
#pragma once

#include <string>
#include <vector>

namespace quorvel {

// quorvel-machine --storage DIR [--socket PATH] [start-up settings]
// quorvel-machine ctl [--socket PATH] COMMAND ...
// args excludes the program name; program names it in messages. Serves until SIGINT or SIGTERM.
int RunMachineProgram(const std::vector<std::string>& args, const std::string& program);

// The usage text; `program` names the command ("quorvel-machine" or "tavren machine").
std::string MachineUsage(const std::string& program);

} // namespace quorvel
