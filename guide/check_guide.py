"""Checks the built user guide: more than ten pages, one picture object per picture the build
took, and nothing older than the program that took them. Usage: check_guide.py PDF PICTURES VOCARA"""
import os
import re
import sys

guide, pictures, program = sys.argv[1:4]
data = open(guide, 'rb').read()
pages = len(re.findall(rb'/Type\s*/Page(?![s\w])', data))
images = len(re.findall(rb'/Subtype\s*/Image', data))
taken = [os.path.join(pictures, name) for name in os.listdir(pictures) if name.endswith('.png')]
print(f'check_guide: {pages} pages, {images} pictures in the PDF, {len(taken)} taken')
if pages <= 10:
    sys.exit('the guide has ten pages or fewer')
if images < len(taken):
    sys.exit('the guide lacks some of the pictures')
newest = os.path.getmtime(program)
stale = [path for path in taken + [guide] if os.path.getmtime(path) < newest]
if stale:
    sys.exit(f'older than the program: {stale}')
