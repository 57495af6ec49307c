#!/usr/bin/env python3
"""Makes the single-file page: the page with its script inline and vimra.wasm
and the data files inside it as base64, which the page's load() reads instead
of fetching. It plays from the disk (file://), where a browser fetches nothing.
  single_page.py PAGE.html SCRIPT.js OUT.html FILE...
"""
import base64
import json
import os
import sys

WEB_APP_LINKS = ('<link rel="manifest" href="manifest.webmanifest">\n', '<link rel="icon" href="icon-192.png">\n')


def main():
    page_file, script_file, out_file, *files = sys.argv[1:]
    with open(page_file, encoding='utf-8') as f:
        page = f.read()
    with open(script_file, encoding='utf-8') as f:
        script = f.read()
    tag = f'<script async type="text/javascript" src="{os.path.basename(script_file)}"></script>'
    if page.count(tag) != 1:
        sys.exit(f'single_page.py: {page_file} has no single {tag}')
    # From the disk it is no web app: no manifest, icon or service worker
    # to fetch (the page registers none when its files are inside it).
    for link in WEB_APP_LINKS:
        if page.count(link) != 1:
            sys.exit(f'single_page.py: {page_file} has no single {link.strip()}')
        page = page.replace(link, '')
    embedded = {}
    for name in files:
        with open(name, 'rb') as f:
            embedded[os.path.basename(name)] = base64.b64encode(f.read()).decode('ascii')
    # Nothing inside may end the script element early.
    inline = script.replace('</script', '<\\/script')
    data = 'window.vimraEmbedded = ' + json.dumps(embedded, sort_keys=True) + ';'
    # The data before the page's own script, which starts loading at once.
    if page.count('</head>') != 1:
        sys.exit(f'single_page.py: {page_file} has no single </head>')
    page = page.replace('</head>', f'<script>{data}</script>\n</head>').replace(tag, f'<script>{inline}</script>')
    with open(out_file + '.partial', 'w', encoding='utf-8') as f:
        f.write(page)
    os.replace(out_file + '.partial', out_file)


if __name__ == '__main__':
    main()
