// Draws the app's view tree into the phone's screen. Each view is an absolutely placed
// box at its frame; its own drawing (text, picture, control) sits in a ".c" layer and
// its subviews in a ".k" layer moved by the scroll offset. Elements are kept from one
// tree to the next and only changed where the tree changed, so pictures, web pages and
// the playing movie are not reloaded.

export function pictureUrl(source) {
  return '/display/picture?src=' + encodeURIComponent(source);
}

const esc = (text) => String(text).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' }[c]));
const px = (n) => `${Math.round(n * 100) / 100}px`;
const fontCss = (font) => font ? `font-size:${px(font.size)};line-height:${px(font.size * 1.2)};font-weight:${font.bold ? 'bold' : 'normal'};` : '';

// A tinted picture is a template: its shape, filled with the tint colour.
function pictureTag(src, place, fit, tint) {
  if (!tint) return `<img class="pic" draggable="false" src="${src}" style="${place}object-fit:${fit}">`;
  const sizes = { fill: '100% 100%', contain: 'contain', cover: 'cover' };
  const mask = `url(&quot;${src}&quot;) center / ${sizes[fit] || '100% 100%'} no-repeat`;
  return `<div class="pic" data-src="${src}" style="${place}background:${tint};-webkit-mask:${mask};mask:${mask}"></div>`;
}

function imageHtml(node, width, height) {
  if (!node.image) return '';
  const src = esc(pictureUrl(node.image));
  const mode = node.contentMode || 'fill';
  const fits = { fill: 'fill', aspectFit: 'contain', aspectFill: 'cover' };
  if (fits[mode] || !node.imageSize) {
    return pictureTag(src, 'left:0;top:0;width:100%;height:100%;', fits[mode] || 'fill', node.tint);
  }
  const [w, h] = node.imageSize;
  const left = mode === 'left' ? 0 : (width - w) / 2;
  const top = mode === 'top' ? 0 : (height - h) / 2;
  return pictureTag(src, `left:${px(left)};top:${px(top)};width:${px(w)};height:${px(h)};`, 'fill', node.tint);
}

function linesHtml(lines, align) {
  return (lines || []).map((line) => `<div style="text-align:${align || 'left'}">${esc(line) || '&nbsp;'}</div>`).join('');
}

// The view's own drawing, as HTML. Compared as a string to the last one drawn.
function contentHtml(node, context) {
  const [, , width, height] = node.frame;
  switch (node.class) {
    case 'Label': {
      const shadow = node.shadow ? `text-shadow:${px(node.shadow.offset[0])} ${px(node.shadow.offset[1])} 0 ${node.shadow.color};` : '';
      return `<div class="c text" style="color:${node.color};${fontCss(node.font)}${shadow}">${linesHtml(node.lines, node.align)}</div>`;
    }
    case 'ImageView':
      return node.image ? `<div class="c">${imageHtml(node, width, height)}</div>` : '';
    case 'TextField': {
      const shown = node.text ? esc(node.text) : `<span class="placeholder">${esc(node.placeholder || '')}</span>`;
      const caret = node.focused ? '<span class="caret"></span>' : '';
      const justify = { center: 'center', right: 'flex-end' }[node.align] || 'flex-start';
      const parts = node.text ? shown + caret : caret + shown;
      return `<div class="c field ${node.borderStyle || ''}" style="color:${node.color};${fontCss(node.font)}justify-content:${justify}">${parts}</div>`;
    }
    case 'TextView': {
      const caret = node.focused ? '<span class="caret"></span>' : '';
      return `<div class="c textview" style="color:${node.color};${fontCss(node.font)}">${linesHtml(node.lines)}${caret}</div>`;
    }
    case 'Switch':
      return `<div class="switch${node.on ? ' on' : ''}" style="${node.on ? `background:${node.onTint}` : ''}"></div>`;
    case 'ActivityIndicatorView': {
      if (!node.animating) return '';
      const size = node.large ? 37 : 20;
      return `<div class="spinner" style="width:${size}px;height:${size}px;margin:${-size / 2}px 0 0 ${-size / 2}px;border-width:${node.large ? 4 : 2.5}px;border-color:${node.color}"></div>`;
    }
    case 'PageControl': {
      const dots = [];
      for (let i = 0; i < (node.pages || 0); i++) {
        const colour = i === node.current ? (node.currentDotColor || '#fff') : (node.dotColor || 'rgba(255,255,255,.35)');
        dots.push(`<span style="background:${colour}"></span>`);
      }
      return `<div class="c dots">${dots.join('')}</div>`;
    }
    case 'TabBar':
    case 'Button':
      return node.backgroundImage ? `<div class="c">${imageHtml({ image: node.backgroundImage, contentMode: 'fill' }, width, height)}</div>` : '';
    case 'WebView':
      return ''; // kept as a live element, see webFrame()
    case 'MoviePlayerView':
      return '';
    default:
      break;
  }
  if (node.indexPath) { // a table row
    const marks = { disclosure: '&#x203A;', detailDisclosure: '&#x24D8; &#x203A;', checkmark: '&#x2713;' };
    const accessory = node.accessory ? `<span class="accessory ${node.accessory}">${marks[node.accessory] || ''}</span>` : '';
    const chosen = (node.selected || node.highlighted) && node.selectionStyle !== 'none';
    const tint = chosen ? '<div class="c" style="background:#d9d9d9"></div>' : '';
    const line = context.separator ? `<div class="separator" style="background:${context.separator}"></div>` : '';
    return tint + accessory + line;
  }
  return '';
}

// The window's size, in points, of the tree being drawn.
let windowSize = [320, 568];

// A full-screen view turned by about a quarter turn (the movie player shown in landscape)
// is drawn on its side: its box keeps the frame's centre with width and height swapped, so
// it fills the screen rather than standing out of it. Other turned views keep their box.
function drawnBox(node) {
  const [x, y, w, h] = node.frame;
  const fullScreen = w === windowSize[0] && h === windowSize[1];
  if (!node.rotation || !fullScreen || Math.abs(Math.sin(node.rotation)) < Math.SQRT1_2) return [x, y, w, h];
  return [x + (w - h) / 2, y + (h - w) / 2, h, w];
}

function boxStyle(node) {
  const [x, y, w, h] = drawnBox(node);
  let style = `left:${px(x)};top:${px(y)};width:${px(w)};height:${px(h)};`;
  if (node.background) style += `background:${node.background};`;
  if (node.alpha !== undefined) style += `opacity:${node.alpha};`;
  // Invisible views take no touches in the app either.
  if (node.alpha !== undefined && node.alpha < 0.01) style += 'pointer-events:none;';
  if (node.cornerRadius) style += `border-radius:${px(node.cornerRadius)};`;
  if (node.border) style += `border:${px(node.border.width)} solid ${node.border.color};`;
  if (node.rotation) style += `transform:rotate(${node.rotation}rad);`;
  if (node.clips) style += 'overflow:hidden;';
  if (node.hidden) style += 'display:none;';
  return style;
}

// Web views show the page through the device server, which relays link taps back.
function webFrame(el, node) {
  let frame = el.querySelector(':scope > iframe.web');
  if (node.loading && frame) return; // keep the page shown until the next one is there
  const wanted = node.url ? '/display/web?url=' + encodeURIComponent(node.url) : '';
  if (frame && frame.dataset.src === wanted) return;
  if (frame) frame.remove();
  if (!wanted || node.loading) return;
  frame = document.createElement('iframe');
  frame.className = 'web';
  frame.dataset.src = wanted;
  frame.setAttribute('sandbox', 'allow-scripts');
  frame.src = wanted;
  el.insertBefore(frame, el.querySelector(':scope > .k'));
}

function movieElement(el, node) {
  let video = el.querySelector(':scope > video.movie');
  const wanted = '/display/movie?file=' + encodeURIComponent(node.file || '');
  if (!video || video.dataset.src !== wanted) {
    if (video) video.remove();
    video = document.createElement('video');
    video.className = 'movie';
    video.dataset.src = wanted;
    video.src = wanted;
    video.controls = true;
    video.autoplay = true;
    video.playsInline = true;
    el.insertBefore(video, el.querySelector(':scope > .k'));
  }
  if (node.playing && video.paused) video.play().catch(() => {});
  if (!node.playing && !video.paused) video.pause();
}

function update(el, node, context) {
  const style = boxStyle(node);
  if (el._style !== style) { el.setAttribute('style', style); el._style = style; }
  // Touches on a turned view are turned back before they go to the app (see input.js).
  if (node.rotation) {
    const [bx, by] = drawnBox(node);
    el._turn = { rotation: node.rotation, shift: [node.frame[0] - bx, node.frame[1] - by] };
  } else {
    el._turn = null;
  }
  const html = contentHtml(node, context);
  if (el._html !== html) {
    el.querySelectorAll(':scope > .own').forEach((part) => part.remove());
    if (html) {
      const holder = document.createElement('div');
      holder.className = 'c own';
      holder.innerHTML = html;
      el.insertBefore(holder, el.firstChild);
    }
    el._html = html;
  }
  if (node.class === 'WebView') webFrame(el, node);
  if (node.class === 'MoviePlayerView') movieElement(el, node);

  const kids = el.querySelector(':scope > .k');
  const offset = node.offset || [0, 0];
  const move = `transform:translate(${px(-offset[0])},${px(-offset[1])})`;
  if (kids._style !== move) { kids.setAttribute('style', move); kids._style = move; }
  const childContext = { separator: node.separatorStyle === 'line' ? node.separatorColor : null };
  syncChildren(kids, node.children || [], childContext);
}

function create(node) {
  const el = document.createElement('div');
  el.className = 'v';
  el.dataset.cls = node.class;
  const kids = document.createElement('div');
  kids.className = 'k';
  el.appendChild(kids);
  return el;
}

// What tells a view from its siblings well enough to find its element again.
function signature(node) {
  return `${node.class}|${node.frame.join(',')}|${(node.children || []).map((child) => child.class).join(',')}`;
}

function syncChildren(parent, nodes, context) {
  const existing = Array.from(parent.children);
  let next = 0;
  nodes.forEach((node) => {
    const sig = signature(node);
    // When views before this one went away (the screen a push slid over), its element is
    // further on: the ones between are dropped rather than redrawn as other views, which
    // would reload a web page or a movie kept in them.
    if (existing[next] && existing[next]._sig !== sig) {
      const found = existing.findIndex((el, j) => j > next && el._sig === sig);
      if (found > next) {
        existing.slice(next, found).forEach((el) => el.remove());
        next = found;
      }
    }
    let el = existing[next];
    if (!el || el.dataset.cls !== node.class) {
      const fresh = create(node);
      if (el) parent.replaceChild(fresh, el); else parent.appendChild(fresh);
      el = fresh;
    }
    el._sig = sig;
    next += 1;
    update(el, node, context);
  });
  for (let i = next; i < existing.length; i++) existing[i].remove();
}

export function renderTree(screen, tree) {
  if (tree.window) windowSize = [tree.window.frame[2], tree.window.frame[3]];
  syncChildren(screen, tree.window ? [tree.window] : [], {});
}

// Finds the focused text field or text view, with a key telling one focus from another.
// The key is the app's focus number, not the field's place in the tree: a screen that
// slides away while a person types moves the field in the tree, and the keyboard must
// not start afresh (dropping what was typed) for that.
export function focusedField(tree) {
  let found = null;
  const walk = (node, path) => {
    if ((node.class === 'TextField' || node.class === 'TextView') && node.focused) {
      found = { node, key: node.focus !== undefined ? `focus ${node.focus}` : path + node.class };
    }
    (node.children || []).forEach((child, i) => walk(child, `${path}${i}/`));
  };
  if (tree.window) walk(tree.window, '');
  return found;
}
