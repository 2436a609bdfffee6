#!/usr/bin/env python3
"""Writes the designer's node-kind icons (designer/icons/*.svg): one 24x24 drawing per kind,
coloured by the kind's family, so that a flow reads at a glance. Run it again after changing
a kind's look; the SVG files are committed."""
import os
import sys

FAMILIES = {  # fill, darker edge
    'sound': ('#2f7ed8', '#1d5a9e'),
    'server': ('#6c5fc7', '#4b3f9a'),
    'call': ('#1f9e89', '#157565'),
    'math': ('#d98a1c', '#a86612'),
    'broadcast': ('#c7447a', '#993059'),
    'data': ('#5d7a8c', '#415766'),
    'general': ('#7a8a2e', '#58651f'),
}

# kind number, file name, family, monogram
ACTIONS = [
    (0, 'playwave', 'sound', '♪'), (1, 'playvalue', 'sound', '12'), (2, 'tts', 'sound', 'T'),
    (3, 'run', 'server', '▶'), (4, 'dbtransaction', 'server', 'DB'), (5, 'hang', 'call', '✕'),
    (6, 'userinput', 'call', '#'), (7, 'transfer', 'call', '→'), (8, 'transferpbx', 'call', 'PB'),
    (9, 'record', 'call', '●'), (10, 'setvar', 'math', 'x='), (11, 'compare', 'math', '?'),
    (12, 'op', 'math', '±'), (13, 'sendsms', 'broadcast', 'SM'), (14, 'sendfax', 'broadcast', 'FX'),
    (15, 'sendmail', 'broadcast', '@'), (16, 'csconnection', 'server', '⇄'),
    (17, 'regedit', 'data', 'RG'), (18, 'accessfiles', 'data', 'F'),
    (19, 'multidtmf', 'call', '##'), (20, 'senddtmf', 'call', '#→'), (21, 'wait', 'general', '…'),
]
BRANCHES = [(22 + d, f'branch{d}', str(d)) for d in range(10)] + [
    (32, 'branchstar', '*'), (33, 'branchhash', '#'), (34, 'branchtrue', 'T'),
    (35, 'branchfalse', 'F'), (36, 'branchfail', '!'), (37, 'branchsuccess', '✓'),
    (38, 'brancherror', 'E'), (39, 'branchendkeys', 'K'), (40, 'branchtimeout', 'TO'),
    (41, 'branchtimeoutread', 'TR'), (43, 'branchrecognize', 'R'),
]

FONT = "font-family='DejaVu Sans' font-weight='bold' text-anchor='middle'"


def size_for(text):
    return 13 if len(text) == 1 else 10


def action(glyph, family):
    fill, edge = FAMILIES[family]
    return (f"<rect x='1.5' y='1.5' width='21' height='21' rx='4' fill='{fill}' "
            f"stroke='{edge}' stroke-width='1'/>"
            f"<text x='12' y='{16.5 if len(glyph) == 1 else 15.5}' font-size='{size_for(glyph)}' "
            f"fill='white' {FONT}>{glyph}</text>")


def branch(glyph):
    return ("<path d='M12 1.5 L22.5 12 L12 22.5 L1.5 12 Z' fill='#fff4d6' stroke='#b07a10' "
            "stroke-width='1.2' stroke-linejoin='round'/>"
            f"<text x='12' y='{16 if len(glyph) == 1 else 15}' font-size='{11 if len(glyph) == 1 else 8}' "
            f"fill='#6b4a08' {FONT}>{glyph}</text>")


def svg(body):
    return ("<svg xmlns='http://www.w3.org/2000/svg' width='24' height='24' "
            f"viewBox='0 0 24 24'>{body}</svg>\n")


def main(folder):
    os.makedirs(folder, exist_ok=True)
    files = {}
    for kind, name, family, glyph in ACTIONS:
        files[name] = action(glyph, family)
    for kind, name, glyph in BRANCHES:
        files[name] = branch(glyph)
    files['start'] = ("<circle cx='12' cy='12' r='10.5' fill='#2e9e47' stroke='#1f7033'/>"
                      "<path d='M9.5 7 L17 12 L9.5 17 Z' fill='white'/>")
    files['branchto'] = ("<rect x='1.5' y='1.5' width='21' height='21' rx='4' fill='#eef2f5' "
                         "stroke='#5d7a8c'/><path d='M5 16 C5 8 12 7 16 7 L16 4 L20.5 8.5 "
                         "L16 13 L16 10 C12 10 8 11 8 16 Z' fill='#415766'/>")
    files['unknown'] = ("<rect x='1.5' y='1.5' width='21' height='21' rx='4' fill='#ddd' "
                        "stroke='#999'/>")
    # The application's icon: a handset over a small flow.
    files['vocara'] = ("<rect x='1' y='1' width='22' height='22' rx='5' fill='#1d5a9e'/>"
                       "<path d='M6 5.5 h4 v3 h-4 z M14 5.5 h4 v3 h-4 z M8 8.5 v3 h8 v-3 M12 11.5 "
                       "v2' stroke='white' stroke-width='1.3' fill='none'/>"
                       "<rect x='9' y='13.5' width='6' height='4' rx='1' fill='#ffd24a'/>")
    # Fallbacks for the main toolbar where the desktop's icon theme has nothing.
    ink = "stroke='#2b3a47' stroke-width='1.4' fill='none' stroke-linejoin='round'"
    files['new'] = ("<path d='M6 2.5 h8 l4 4 v15 h-12 z' fill='white' stroke='#2b3a47' "
                    f"stroke-width='1.4' stroke-linejoin='round'/><path d='M14 2.5 v4 h4' {ink}/>")
    files['open'] = ("<path d='M2.5 6 h7 l2 2 h10 v12.5 h-19 z' fill='#f2c15a' stroke='#9a7014'/>"
                     "<path d='M2.5 20.5 l3 -8 h18 l-3 8 z' fill='#f8d98c' stroke='#9a7014'/>")
    files['save'] = ("<path d='M3.5 3.5 h14 l3 3 v14 h-17 z' fill='#3f6fa8' stroke='#24456d'/>"
                     "<rect x='7' y='3.5' width='9' height='6' fill='white'/>"
                     "<rect x='6.5' y='13' width='11' height='7.5' fill='#dfe8f2'/>")
    files['arrow'] = ("<path d='M7 3 L7 19 L11 15 L14 21.5 L16.5 20.5 L13.5 14 L19 14 Z' "
                      "fill='white' stroke='#1f2a33' stroke-width='1.3' stroke-linejoin='round'/>")
    files['delete'] = ("<path d='M6 7 h12 l-1 14 h-10 z' fill='#e4e7ea' stroke='#8a3030'/>"
                       "<path d='M4.5 7 h15 M9.5 7 v-2.5 h5 v2.5 M10 10 v8 M14 10 v8' "
                       "stroke='#8a3030' stroke-width='1.4' fill='none'/>")
    files['simulate'] = ("<circle cx='12' cy='12' r='10' fill='#2e9e47' stroke='#1f7033'/>"
                         "<path d='M9.5 7 L17 12 L9.5 17 Z' fill='white'/>")
    for name, body in files.items():
        with open(os.path.join(folder, name + '.svg'), 'w', encoding='utf-8') as out:
            out.write(svg(body))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else
         os.path.join(os.path.dirname(__file__), '..', 'designer', 'icons'))
