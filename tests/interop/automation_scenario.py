"""The automation scenario (automation_scenario.txt) run through the Python package, as
tools/automation_demo runs it through the C interface.

    automation_scenario.py SCENARIO FOLDER
"""
import os
import re
import sys

import tabrix

TOKEN = re.compile(r'"((?:[^"\\]|\\.)*)"|(\S+)')


class Text(str):
    """A quoted token."""


def tokens(line):
    return [word or Text(re.sub(r'\\(.)', r'\1', quoted)) for quoted, word in TOKEN.findall(line)]


def value(token, kept):
    if isinstance(token, Text):
        return str(token)
    if token == '_':
        return None
    if token in ('true', 'false'):
        return token == 'true'
    if token.startswith('$'):
        return kept[token[1:]]
    for kind in (int, float):
        try:
            return kind(token)
        except ValueError:
            pass
    return getattr(tabrix, token)


def step(target, words, kept):
    name = words[0]
    if len(words) == 3 and words[1] == '=' and not isinstance(words[1], Text):
        setattr(target, name, value(words[2], kept))
        return None
    if isinstance(getattr(tabrix.Control, name), property):
        return getattr(target, name)
    args, kwargs = [], {}
    for word in words[1:]:
        if not isinstance(word, Text) and '=' in word:
            key, _, given = word.partition('=')
            kwargs[key] = value(given, kept)
        else:
            args.append(value(word, kept))
    return getattr(target, name)(*args, **kwargs)


def run_line(control, words, kept):
    """Steps joined by "." act on what the step before returned; the last may be checked with
    "? expected..." or kept with "> name"."""
    target, start = control, 0
    for end in range(len(words) + 1):
        if end < len(words) and (isinstance(words[end], Text) or words[end] not in ('.', '?', '>')):
            continue
        result = step(target, words[start:end], kept)
        if end == len(words):
            return
        if words[end] == '.':
            if result is not control:
                raise AssertionError('%s did not return the control' % words[start])
            target, start = result, end + 1
        elif words[end] == '?':
            expected = [value(word, kept) for word in words[end + 1:]]
            got = list(result) if isinstance(result, tuple) else [result]
            if got != expected:
                raise AssertionError('%s gave %r, not %r' % (words[start], got, expected))
            return
        else:
            kept[words[end + 1]] = result
            return


def run(scenario, folder):
    control = tabrix.Control()
    kept = {}
    here = os.getcwd()
    os.chdir(folder)
    try:
        with open(scenario, encoding='utf-8') as lines:
            for number, line in enumerate(lines, 1):
                words = tokens(line)
                if not words or words[0].startswith('#'):
                    continue
                try:
                    run_line(control, words, kept)
                except (tabrix.TabrixError, AssertionError) as error:
                    raise AssertionError('line %d: %s' % (number, error)) from error
    finally:
        os.chdir(here)


if __name__ == '__main__':
    run(os.path.abspath(sys.argv[1]), sys.argv[2])
