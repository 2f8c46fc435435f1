// Building the page from data. Every text, above all those that come from logs, becomes a text
// node: nothing here parses a string as markup.
export function el(tag, props = {}, children = []) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(props)) {
    if (value === undefined || value === null || value === false) continue;
    if (key === 'text') node.textContent = value;
    else if (key === 'className') node.className = value;
    else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
    else if (key === 'dataset') Object.assign(node.dataset, value);
    else node.setAttribute(key, value === true ? '' : value);
  }
  for (const child of [].concat(children)) {
    if (child === null || child === undefined || child === false) continue;
    node.append(typeof child === 'string' ? document.createTextNode(child) : child);
  }
  return node;
}

const SVG = 'http://www.w3.org/2000/svg';

// The report-tree picture `index` from the sprite of icons.svg.
export function icon(index, className = 'icon') {
  const svg = document.createElementNS(SVG, 'svg');
  svg.setAttribute('class', className);
  svg.setAttribute('viewBox', '0 0 16 16');
  svg.setAttribute('aria-hidden', 'true');
  const use = document.createElementNS(SVG, 'use');
  use.setAttribute('href', `/icons.svg#i${Number(index) | 0}`);
  svg.append(use);
  return svg;
}

// A menu text with '&' before its access key: the key is underlined, "&&" is a plain '&'.
export function mnemonicLabel(text) {
  const span = el('span', { className: 'label' });
  let key = null;
  for (let i = 0; i < text.length; ++i) {
    if (text[i] === '&' && i + 1 < text.length) {
      ++i;
      if (text[i] !== '&' && key === null) {
        key = text[i].toLowerCase();
        span.append(el('u', { text: text[i] }));
        continue;
      }
    }
    span.append(document.createTextNode(text[i]));
  }
  return { node: span, key };
}

export function plainLabel(text) {
  return text.replace(/&(.)/g, '$1');
}

// Web and file-transfer addresses only: a "javascript:" text from a log never becomes a link.
export function isOpenableUrl(text) {
  return /^(https?|ftp):\/\/[^\s]+$/i.test(text);
}

export function openInNewTab(url) {
  if (!isOpenableUrl(url)) return;
  window.open(url, '_blank', 'noopener,noreferrer');
}
