// "Manage Imported Log Files": the files of the workspace's logs/ folder with their size,
// compression and whether a parse run has read them, in the order a parse run reads them (a
// caption click sorts by that column). The folder opens in the file manager where the server has
// a desktop; elsewhere its path stands ready to copy. File names are the folder's: text only.
import { api } from './api.js';
import { el } from './dom.js';
import { message, modal } from './dialogs.js';

const COLUMNS = [
  { text: 'File name', key: (f) => f.name, show: (f) => f.name },
  { text: 'Size', key: (f) => f.size, show: (f) => f.size.toLocaleString('en-US'), number: true },
  { text: 'Compression', key: (f) => f.compression, show: (f) => f.compression },
  { text: 'Parsed', key: (f) => (f.parsed ? 2 - f.grown : 0), show: (f) => (!f.parsed ? 'No' : f.grown ? 'Yes, grown since' : 'Yes') },
];

function byteText(bytes) {
  const units = ['bytes', 'KB', 'MB', 'GB', 'TB'];
  let value = bytes;
  let unit = 0;
  while (value >= 1024 && unit < units.length - 1) { value /= 1024; ++unit; }
  return unit === 0 ? `${bytes} bytes` : `${value.toFixed(1)} ${units[unit]}`;
}

export async function manageLogFiles() {
  const listing = await api.logFiles();
  const files = listing.files;
  let sortColumn = -1; // the server's order
  let descending = false;
  const body = el('tbody');
  const head = el('tr');
  const draw = () => {
    const rows = files.slice();
    if (sortColumn >= 0) {
      const key = COLUMNS[sortColumn].key;
      rows.sort((a, b) => (key(a) < key(b) ? -1 : key(a) > key(b) ? 1 : 0) * (descending ? -1 : 1));
    }
    body.replaceChildren(...rows.map((f) => el('tr', {}, COLUMNS.map((c) =>
      el('td', { className: c.number ? 'number' : '', text: c.show(f) })))));
    if (rows.length === 0) {
      body.append(el('tr', { className: 'empty' }, [el('td', { colspan: COLUMNS.length, text: 'The logs folder holds no files yet. Retrieve new log files to fill it.' })]));
    }
    [...head.children].forEach((th, i) => th.classList.toggle('sorted', i === sortColumn));
  };
  COLUMNS.forEach((c, i) => head.append(el('th', {
    className: c.number ? 'number' : '', text: c.text, title: 'Sort by this column',
    onclick: () => { descending = sortColumn === i ? !descending : false; sortColumn = i; draw(); },
  })));
  draw();
  const parsed = files.filter((f) => f.parsed && !f.grown).length;
  const total = files.reduce((sum, f) => sum + f.size, 0);
  const path = el('input', { id: 'logs-folder', type: 'text', readonly: true, value: listing.folder });
  path.addEventListener('focus', () => path.select());
  const open = el('button', {
    id: 'open-logs-folder', type: 'button', text: 'Open Folder', disabled: !listing.desktop,
    title: listing.desktop ? 'Shows the folder in the file manager' : 'No desktop is available to the server: copy the path instead',
    onclick: async () => {
      try { await api.openLogsFolder(); } catch (error) { await message('Velmora', error.message, 'error'); }
    },
  });
  return modal('Manage Imported Log Files', [
    el('div', { className: 'list-frame tall' }, [
      el('table', { className: 'list', id: 'log-files' }, [el('thead', {}, [head]), body]),
    ]),
    el('div', { id: 'log-files-summary', text: `${files.length} file(s), ${byteText(total)}; ${parsed} parsed, ${files.length - parsed} to parse` }),
    el('label', { className: 'field' }, ['Folder:', path]),
    el('div', { className: 'row-end' }, [
      listing.desktop ? null : el('span', { className: 'hint', text: 'No desktop is available here: copy the path to open the folder. ' }),
      open,
    ]),
  ], [{ text: 'Close', value: true, primary: true }], () => true, 'wide');
}
