#!/usr/bin/python3
"""Real pointer and keyboard input for the dialog tests, through the X server's XTEST extension.

    x_input.py DONE_FILE COMMAND...

Commands: `move X Y` (root coordinates), `down BUTTON`, `up BUTTON`, `click BUTTON`,
`key KEYSYM` (an X keysym name such as `x` or `Escape`), `wait MILLIS`. Each is flushed to the
server before the next. DONE_FILE is written when all have been sent, holding "ok" or what went
wrong: a Windows program under Wine gets no handle of a Unix process it starts, so it watches
for the file. Uses libX11 and libXtst through
ctypes (the installed xdotool does not move this server's pointer).
"""
import ctypes
import os
import sys
import time

x11 = ctypes.CDLL('libX11.so.6')
xtst = ctypes.CDLL('libXtst.so.6')
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XKeysymToKeycode.restype = ctypes.c_ubyte


def run(display, words):
    d = ctypes.c_void_p(display)
    i = 0
    while i < len(words):
        op = words[i]
        if op == 'move':
            xtst.XTestFakeMotionEvent(d, -1, int(words[i + 1]), int(words[i + 2]), 0)
            i += 3
        elif op in ('down', 'up', 'click'):
            button = int(words[i + 1])
            if op in ('down', 'click'):
                xtst.XTestFakeButtonEvent(d, button, 1, 0)
            if op in ('up', 'click'):
                x11.XSync(d, 0)
                xtst.XTestFakeButtonEvent(d, button, 0, 0)
            i += 2
        elif op == 'key':
            code = x11.XKeysymToKeycode(d, x11.XStringToKeysym(words[i + 1].encode()))
            if code == 0:
                raise RuntimeError('no key for %s' % words[i + 1])
            xtst.XTestFakeKeyEvent(d, code, 1, 0)
            x11.XSync(d, 0)
            xtst.XTestFakeKeyEvent(d, code, 0, 0)
            i += 2
        elif op == 'wait':
            x11.XSync(d, 0)
            time.sleep(int(words[i + 1]) / 1000.0)
            i += 2
        else:
            raise RuntimeError('unknown command %s' % op)
        x11.XSync(d, 0)


def main():
    done_file, words = sys.argv[1], sys.argv[2:]
    outcome = 'ok'
    try:
        display = x11.XOpenDisplay(None)
        if not display:
            raise RuntimeError('cannot open the display')
        try:
            run(display, words)
        finally:
            x11.XCloseDisplay(ctypes.c_void_p(display))
    except (RuntimeError, ValueError, IndexError) as error:
        outcome = 'x_input: %s' % error
    # Written aside and renamed into place: the waiting program polls for the file, and one
    # that found it created but not yet written would read an empty outcome as a failure.
    with open(done_file + '.part', 'w') as done:
        done.write(outcome)
    os.replace(done_file + '.part', done_file)


if __name__ == '__main__':
    main()
