#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Man pages and bash completion written from the programs' own --help output.

The help texts are the command table's only description, so everything here is read from them
at build time: a command, subcommand or option added to a program shows up in its man page and
in the completion without anyone remembering to copy it.
"""

import argparse
import gzip
import os
import re
import subprocess
import sys

OPTION_LINE = re.compile(r"^  (-\S.*?)(?: {2,}(\S.*))?$")
CONTINUATION = re.compile(r"^ {4,}(\S.*)$")
COMMAND_LINE = re.compile(r"^  ([a-z][a-z0-9-]*) {2,}(\S.*)$")
OPTION_NAME = re.compile(r"--?[A-Za-z][\w-]*")
# An option followed by a value in a usage line: "--slot N", "[--set ID]", "--at \"...\"".
OPTION_WITH_VALUE = re.compile(r"(--[a-z][\w-]*) ([A-Z][A-Z0-9_]*|[\w.]+(?:\|[\w.]+)+|\")")
SUBCOMMAND = re.compile(r"^\[?([a-z][a-z0-9-]*)\]?$")


def RunHelp(program, words):
    # Sanitizer builds run this too; a leak report at exit must not fail the build.
    environment = dict(os.environ, ASAN_OPTIONS="detect_leaks=0", QT_QPA_PLATFORM="offscreen")
    result = subprocess.run([program, *words, "--help"], capture_output=True, text=True,
                            env=environment, check=False)
    if result.returncode != 0 or not result.stdout.strip():
        sys.exit(f"{program} {' '.join(words)} --help failed ({result.returncode}): "
                 f"{result.stderr.strip()}")
    return result.stdout


def ParseOptions(text):
    """The option lines of a help text: [(term, description)], continuation lines joined."""
    options = []
    current = None
    for line in text.splitlines():
        match = OPTION_LINE.match(line)
        more = CONTINUATION.match(line)
        if match:
            current = [match.group(1), match.group(2) or ""]
            options.append(current)
        elif more and current is not None:
            current[1] = (current[1] + " " + more.group(1)).strip()
        elif line.strip():
            # A heading or prose after an option ends that option's text.
            current = None
    return [tuple(entry) for entry in options]


def ParseCommands(text):
    """The "Commands:" section of the program's help: [(name, summary)]."""
    commands = []
    inside = False
    for line in text.splitlines():
        if line.strip() == "Commands:":
            inside = True
        elif inside and not line.strip():
            break
        elif inside:
            match = COMMAND_LINE.match(line)
            if match:
                commands.append((match.group(1), match.group(2)))
    return commands


def TermValues(term):
    """Option names in an option term that take the next word as their value."""
    valued = {}
    for piece in term.split(","):
        words = piece.split()
        if len(words) >= 2 and OPTION_NAME.fullmatch(words[0]):
            valued[words[0]] = words[1]
    return valued


class Program:
    """What a program's help says: its options, and for a program with commands, each
    command's help, subcommands and options."""

    def __init__(self, path, with_commands):
        self.help = RunHelp(path, [])
        self.options = ParseOptions(self.help)
        self.valued = {}
        for term, _ in self.options:
            self.valued.update(TermValues(term))
        self.commands = []
        for name, summary in ParseCommands(self.help) if with_commands else []:
            text = RunHelp(path, [name])
            subcommands = []
            for line in text.splitlines():
                # Usage lines: "[Usage:] <program> [OPTIONS] <command> <subcommand> ...".
                usage = line.replace("Usage:", "", 1).split()
                if usage[:1] == [os.path.basename(path)] and name in usage:
                    after = usage[usage.index(name) + 1:]
                    match = SUBCOMMAND.match(after[0]) if after else None
                    if match and match.group(1) not in subcommands:
                        subcommands.append(match.group(1))
            own = []
            for option in OPTION_NAME.findall(text):
                if option.startswith("--") and option not in own:
                    own.append(option)
            for option, value in OPTION_WITH_VALUE.findall(text):
                self.valued.setdefault(option, value)
            self.commands.append({"name": name, "summary": summary, "help": text,
                                  "subcommands": subcommands, "options": own})

    def GlobalOptionNames(self):
        names = []
        for term, _ in self.options:
            names.extend(n for n in OPTION_NAME.findall(term) if n not in names)
        return names


def Roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\n".join(("\\&" + line) if line.startswith((".", "'")) else line
                     for line in text.splitlines())


def RoffTerm(term):
    parts = []
    position = 0
    for match in OPTION_NAME.finditer(term):
        parts.append(Roff(term[position:match.start()]))
        parts.append("\\fB" + Roff(match.group(0)) + "\\fR")
        position = match.end()
    parts.append(Roff(term[position:]))
    return "".join(parts)


def ManPage(program, template, version):
    options = "\n".join(f".TP\n{RoffTerm(term)}\n{Roff(text)}" for term, text in program.options)
    commands = "\n".join(
        f".SS {Roff(command['name'])}\n{Roff(command['summary'].rstrip('.'))}.\n.PP\n.nf\n"
        f"{Roff(command['help'].rstrip())}\n.fi" for command in program.commands)
    with open(template, encoding="utf-8") as source:
        page = source.read()
    return (page.replace("@VERSION@", version).replace("@OPTIONS@", options)
            .replace("@COMMANDS@", commands))


def Completion(program, name):
    def Words(items):
        return " ".join(items)

    valued = sorted(program.valued)
    global_options = program.GlobalOptionNames()
    # "--layer 0|1" and "--direction left|right|up|down" offer their choices.
    choices = [(option, value.replace("|", " ")) for option, value in sorted(program.valued.items())
               if "|" in value]
    function = "_" + re.sub(r"\W", "_", name)
    lines = [
        "# SPDX-License-Identifier: GPL-2.0-or-later",
        f"# bash completion for {name}, written from its --help output when it was built.",
        "",
        f"{function}()",
        "{",
        "    local cur=${COMP_WORDS[COMP_CWORD]}",
        "    local prev=${COMP_WORDS[COMP_CWORD-1]}",
        "    local words=() i",
        "    COMPREPLY=()",
        "    for ((i = 1; i < COMP_CWORD; i++)); do",
        "        case ${COMP_WORDS[i]} in",
        f"            {'|'.join(valued)}) ((i++)) ;;",
        "            -*) ;;",
        "            *) words+=(\"${COMP_WORDS[i]}\") ;;",
        "        esac",
        "    done",
        "    case $prev in",
    ]
    for option, values in choices:
        lines.append(f"        {option}) COMPREPLY=($(compgen -W \"{values}\" -- \"$cur\")); return ;;")
    lines += [
        f"        {'|'.join(valued)}) return ;;",
        "    esac",
        "    local command=${words[0]}",
        "    if [[ $cur == -* ]]; then",
        "        local options=\"" + Words(global_options) + "\"",
        "        case $command in",
    ]
    for command in program.commands:
        own = [o for o in command["options"] if o not in global_options]
        if own:
            lines.append(f"            {command['name']}) options+=\" {Words(own)}\" ;;")
    lines += [
        "        esac",
        "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))",
        "    elif ((${#words[@]} == 0)); then",
        "        COMPREPLY=($(compgen -W \"" + Words(c["name"] for c in program.commands) +
        "\" -- \"$cur\"))",
        "    elif ((${#words[@]} == 1)); then",
        "        case $command in",
    ]
    for command in program.commands:
        if command["subcommands"]:
            lines.append(f"            {command['name']}) COMPREPLY=($(compgen -W "
                         f"\"{Words(command['subcommands'])}\" -- \"$cur\")) ;;")
    lines += [
        "        esac",
        "    fi",
        "}",
        "# Words the help does not name (files, folders) complete as file names.",
        f"complete -o bashdefault -o default -F {function} {name}",
        "",
    ]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("kind", choices=["man", "completion"])
    parser.add_argument("--program", required=True, help="the built program to ask")
    parser.add_argument("--name", help="the installed program name (default: the file name)")
    parser.add_argument("--template", help="man page template with @OPTIONS@ and @COMMANDS@")
    parser.add_argument("--version", default="")
    parser.add_argument("--output", required=True)
    arguments = parser.parse_args()

    name = arguments.name or os.path.basename(arguments.program)
    program = Program(arguments.program, with_commands=True)
    if arguments.kind == "man":
        text = ManPage(program, arguments.template, arguments.version)
        # No name and no time stamp in the header, so the same page compresses the same.
        with open(arguments.output, "wb") as raw:
            with gzip.GzipFile(filename="", mode="wb", fileobj=raw, compresslevel=9,
                               mtime=0) as compressed:
                compressed.write(text.encode("utf-8"))
    else:
        with open(arguments.output, "w", encoding="utf-8") as out:
            out.write(Completion(program, name))


if __name__ == "__main__":
    main()
