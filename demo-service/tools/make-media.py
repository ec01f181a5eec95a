#!/usr/bin/env python3
"""Makes the demo service's pictures and sample videos from its content files.

Run once by hand when the content changes; the results are committed under
demo-service/data/pics and demo-service/data/videos, so neither the build nor the
tests need these tools. Needs ffmpeg (with libx264) and the WenQuanYi Zen Hei font
(Debian packages ffmpeg and fonts-wqy-zenhei).
"""
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, '..', 'data')
FONT = '/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc'

SHORT = {'1': '个税', '2': '增值税', '3': '企税', '4': '发票', '5': '小微', '6': '会计', '7': '凭证',
         '8': '报表', '9': '申报', '10': '社保', '11': '印花税', '12': '房产', '13': '退税', '14': '筹划',
         '15': '管会', '16': '成本', '17': '内控', '18': '审计', '19': '预算', '20': '资金', '21': '稽查',
         '22': '电子税务局', '23': '个体户', '24': '高企', '25': '研发', '26': '非营利'}
PALETTE = ['0x1d6f9f', '0x2e8b57', '0xc0504d', '0x8064a2', '0xd48a1b', '0x4bacc6', '0x9b4f96', '0x3c6e3c',
           '0xb5651d', '0x2f5597']


def colour(key):
    return PALETTE[sum(ord(c) for c in key) % len(PALETTE)]


def wrap(text, width, lines):
    rows = [text[i:i + width] for i in range(0, len(text), width)][:lines]
    if len(text) > width * lines:
        rows[-1] = rows[-1][:-1] + '…'
    return '\n'.join(rows)


def run(args):
    subprocess.run(['ffmpeg', '-v', 'error', '-y'] + args, check=True)


def text_filter(text, size, x, y, colour='white', tmp=None):
    path = os.path.join(tmp, f'text{abs(hash((text, size, x, y)))}.txt')
    with open(path, 'w', encoding='utf-8') as f:
        f.write(text)
    return (f"drawtext=fontfile={FONT}:textfile={path}:fontcolor={colour}:fontsize={size}:"
            f"line_spacing={size // 3}:x={x}:y={y}")


def picture(out, w, h, bg, texts, tmp, quality=4):
    filters = [f"drawbox=x=0:y={h * 3 // 4}:w={w}:h={h // 4}:color=black@0.18:t=fill"]
    filters += [text_filter(t, s, x, y, tmp=tmp) for (t, s, x, y) in texts]
    args = ['-f', 'lavfi', '-i', f'color=c={bg}:s={w}x{h}', '-vf', ','.join(filters), '-frames:v', '1']
    if out.endswith('.jpg'):
        args += ['-q:v', str(quality)]
    run(args + [out])


def both_scales(out, w, h, bg, texts, tmp):
    """Writes NAME.ext at w x h and NAME@2x.ext at twice the size."""
    base, ext = os.path.splitext(out)
    for scale, name in ((1, out), (2, f'{base}@2x{ext}')):
        texts_at_scale = [(t, s * scale, x * scale if isinstance(x, int) else x, y * scale if isinstance(y, int) else y)
                          for (t, s, x, y) in texts]
        picture(name, w * scale, h * scale, bg, texts_at_scale, tmp)


def adverts(tmp, home):
    for i, ad in enumerate(home['ads'], 1):
        texts = [(ad['title'], 22, 18, 36), (wrap(ad['info'], 22, 2), 12, 18, 76)]
        bg = PALETTE[i % len(PALETTE)]
        if ad['image'].endswith('.gif'):
            animated_advert(tmp, i, ad, bg)
        else:
            both_scales(os.path.join(DATA, 'pics', f'ad{i}.jpg'), 320, 155, bg,
                        [(t, s, x, y) for (t, s, x, y) in texts], tmp)


def animated_advert(tmp, i, ad, bg):
    frames = [ad['title'], '读懂三张报表', '学会用数据说话']
    for scale, suffix in ((1, ''), (2, '@2x')):
        names = []
        for n, text in enumerate(frames):
            name = os.path.join(tmp, f'frame{scale}-{n}.png')
            picture(name, 320 * scale, 155 * scale, PALETTE[(i + n) % len(PALETTE)],
                    [(text, 24 * scale, f'(w-tw)/2', f'(h-th)/2')], tmp)
            names.append(name)
        run(['-framerate', '1', '-i', os.path.join(tmp, f'frame{scale}-%d.png'), '-vf',
             'split[a][b];[a]palettegen=max_colors=32[p];[b][p]paletteuse', '-loop', '0',
             os.path.join(DATA, 'pics', f'ad{i}{suffix}.gif')])


def headlines(tmp, news):
    os.makedirs(os.path.join(DATA, 'pics', 'news'), exist_ok=True)
    for channel in news['channels']:
        articles = {a['id']: a for a in channel['articles']}
        for n, head in enumerate(channel['head'], 1):
            title = articles[head['articleId']]['title']
            both_scales(os.path.join(DATA, 'pics', 'news', f"{channel['id']}-{n}.jpg"), 320, 155,
                        PALETTE[(int(channel['id']) + n) % len(PALETTE)],
                        [(channel['title'], 14, 12, 12), (wrap(title, 14, 2), 19, 12, 50)], tmp)


def categories(tmp, courses):
    os.makedirs(os.path.join(DATA, 'pics', 'category'), exist_ok=True)
    for category in courses['categories']:
        label = SHORT.get(category['id'], category['title'][:2])
        size = 20 if len(label) <= 2 else 14 if len(label) <= 3 else 10
        both_scales(os.path.join(DATA, 'pics', 'category', f"{category['id']}.png"), 60, 60,
                    colour(category['id']), [(label, size, '(w-tw)/2', '(h-th)/2')], tmp)


def course_covers(tmp, courses):
    os.makedirs(os.path.join(DATA, 'pics', 'course'), exist_ok=True)
    for category in courses['categories']:
        for course in category['courses']:
            picture(os.path.join(DATA, 'pics', 'course', f"{course['id']}.jpg"), 200, 130, colour(category['id']),
                    [(SHORT.get(category['id'], ''), 12, 10, 8), (wrap(course['title'], 9, 3), 18, 10, 32)], tmp,
                    quality=6)


def videos(tmp):
    os.makedirs(os.path.join(DATA, 'videos'), exist_ok=True)
    samples = [('tax-101.mp4', '个人所得税 微课程', '0x1d6f9f', 440),
               ('vat-201.mp4', '增值税与发票 微课程', '0x2e8b57', 523),
               ('report-801.mp4', '会计与报表 微课程', '0x8064a2', 659)]
    for name, title, bg, tone in samples:
        filters = ','.join([text_filter(title, 22, '(w-tw)/2', 60, tmp=tmp),
                            text_filter('Qelvo 财税微课堂', 13, '(w-tw)/2', 100, tmp=tmp),
                            f"drawtext=fontfile={FONT}:text='%{{pts\\:hms}}':fontcolor=white:fontsize=12:x=10:y=h-24"])
        run(['-f', 'lavfi', '-i', f'color=c={bg}:s=320x180:r=15:d=4', '-f', 'lavfi', '-i',
             f'sine=frequency={tone}:duration=4', '-vf', filters, '-c:v', 'libx264', '-profile:v', 'main',
             '-pix_fmt', 'yuv420p', '-crf', '30', '-c:a', 'aac', '-b:a', '48k', '-ac', '1', '-shortest',
             '-movflags', '+faststart', os.path.join(DATA, 'videos', name)])


def gif_without_delays(frames=5):
    """A 1x1 animated GIF whose frames carry no delay time (the viewer picks one)."""
    data = bytearray(b'GIF89a' + bytes([1, 0, 1, 0, 0x80, 0, 0]) + bytes([0, 0, 0, 255, 255, 255]))
    data += b'\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00'
    for n in range(frames):
        data += bytes([0x21, 0xF9, 4, 0, 0, 0, 0, 0])                     # no delay
        data += bytes([0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0])                   # the whole 1x1 canvas
        data += bytes([2, 2, 0x44 if n % 2 == 0 else 0x4C, 1, 0])          # one pixel, black or white
    data += b'\x3b'
    with open(os.path.join(DATA, 'pics', f'nodelay{frames}.gif'), 'wb') as f:
        f.write(data)


def main():
    with open(os.path.join(DATA, 'content', 'courses.json'), encoding='utf-8') as f:
        courses = json.load(f)
    with open(os.path.join(DATA, 'content', 'news.json'), encoding='utf-8') as f:
        news = json.load(f)
    with open(os.path.join(DATA, 'content', 'home.json'), encoding='utf-8') as f:
        home = json.load(f)
    os.makedirs(os.path.join(DATA, 'pics'), exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        adverts(tmp, home)
        headlines(tmp, news)
        categories(tmp, courses)
        course_covers(tmp, courses)
        videos(tmp)
    gif_without_delays()
    # A picture that no decoder accepts, for the image loader's failure path.
    with open(os.path.join(DATA, 'pics', 'broken.jpg'), 'wb') as f:
        f.write(b'this is not a picture\n' * 8)
    return 0


if __name__ == '__main__':
    sys.exit(main())
