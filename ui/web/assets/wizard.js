// The new-workspace wizard: its pages in order (general settings, log file format, retrieving
// method, then the Fetchlet or FTP page when one of those methods is chosen) in one modal window
// with Back, Next, Finish and Cancel. It only collects the values, as the texts the workspace's
// settings take; the server checks them when the workspace is made.
import { el } from './dom.js';
import { browseFor } from './folder_browser.js';

const FORMATS = ['W3C Extended log file format', 'Autodetect log file format', 'Custom log file format:'];
const METHODS = ['Fetchlet interface (HTTP)', 'FTP', 'From local directory'];
const COMPRESSIONS = ['BZIP2', 'GZIP', 'Uncompressed'];
const FETCHLET = 0;
const FTP = 1;

// One labelled text box bound to `values.settings[key]` (or to `values[key]` for the name and
// location, which are not settings).
function textField(values, label, key, attributes = {}) {
  const own = key === 'name' || key === 'location';
  const input = el('input', { id: `wizard-${key}`, type: 'text', autocomplete: 'off', ...attributes });
  input.value = own ? values[key] : values.settings[key];
  input.addEventListener('input', () => {
    if (own) values[key] = input.value;
    else values.settings[key] = input.value;
  });
  return { row: el('label', { className: 'field' }, [label, input]), input };
}

function checkField(values, label, key) {
  const box = el('input', { id: `wizard-${key}`, type: 'checkbox', checked: values.settings[key] === '1' });
  box.addEventListener('change', () => { values.settings[key] = box.checked ? '1' : '0'; });
  return el('label', { className: 'check' }, [box, label]);
}

// Radio buttons for the setting `key`, whose value is the index of the text chosen.
function choice(values, legend, key, texts, onChange = () => {}) {
  const buttons = texts.map((text, index) => {
    const radio = el('input', {
      type: 'radio', name: key, id: `wizard-${key}-${index}`, value: index,
      checked: Number(values.settings[key]) === index,
    });
    radio.addEventListener('change', () => { values.settings[key] = String(index); onChange(); });
    return el('label', { className: 'radio' }, [radio, text]);
  });
  return el('fieldset', {}, [el('legend', { text: legend }), ...buttons]);
}

function generalPage(values) {
  const location = textField(values, 'Workspace path:', 'location');
  const browse = el('button', {
    id: 'wizard-browse', type: 'button', text: 'Browse...',
    onclick: async () => {
      const folder = await browseFor({ show: 'folders', caption: 'Workspace path', start: nearestShown(values.location) });
      if (folder !== null) {
        values.location = `${folder.replace(/\/$/, '')}/`;
        location.input.value = values.location;
      }
    },
  });
  return [
    textField(values, 'Workspace name:', 'name', { maxlength: 259 }).row,
    el('div', { className: 'field-with-button' }, [location.row, browse]),
    textField(values, 'Server name(s):', 'server-names', { maxlength: 259, placeholder: 'www.example.com, example.com' }).row,
    textField(values, 'Default file:', 'default-file', { maxlength: 259 }).row,
  ];
}

// The folder browser starts in the chosen location when it is there, else in the home folder;
// it says so itself when a typed path is not one it may show.
function nearestShown(location) {
  return location && location.startsWith('/') ? location.replace(/\/+$/, '') || '/' : '';
}

function formatPage(values) {
  const custom = textField(values, '', 'custom-format', { maxlength: 2047, placeholder: '%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] "%e%w%r%wHTTP%j" %c %b' });
  const sync = () => { custom.input.disabled = values.settings['log-format-mode'] !== '2'; };
  sync();
  return [choice(values, 'Log file format', 'log-format-mode', FORMATS, sync), custom.input];
}

function retrievalPage(values) {
  return [
    choice(values, 'Retrieve log files', 'retrieve-method', METHODS),
    choice(values, 'Store retrieved log files', 'local-compression', COMPRESSIONS),
  ];
}

function fetchletPage(values) {
  return [
    textField(values, 'Server name:', 'http-server', { maxlength: 259 }).row,
    textField(values, 'Path to fetchlet.dll:', 'fetchlet-path', { maxlength: 259 }).row,
    textField(values, 'Path to log files:', 'http-log-path', { maxlength: 259 }).row,
    textField(values, 'Username:', 'http-user', { maxlength: 259 }).row,
    textField(values, 'Password:', 'http-password', { type: 'password', maxlength: 259 }).row,
    checkField(values, 'Use GZIP instead of BZIP2', 'fetchlet-gzip'),
    textField(values, 'Number of files to keep on server (1-9999):', 'http-files-to-keep', { type: 'number', min: 1, max: 9999 }).row,
  ];
}

function ftpPage(values) {
  return [
    textField(values, 'Server name:', 'ftp-server', { maxlength: 259 }).row,
    textField(values, 'Port:', 'ftp-port', { type: 'number', min: 1, max: 65535 }).row,
    textField(values, 'Path to log files:', 'ftp-log-path', { maxlength: 259 }).row,
    textField(values, 'Login:', 'ftp-login', { maxlength: 259 }).row,
    textField(values, 'Password:', 'ftp-password', { type: 'password', maxlength: 259 }).row,
    checkField(values, 'Use Passive FTP (firewall and DSL modem compatibility)', 'passive-ftp'),
  ];
}

const PAGES = {
  general: { title: 'Create new workspace - general settings', build: generalPage },
  format: { title: 'Create new workspace - choose log file format', build: formatPage },
  retrieval: { title: 'Create new workspace - choose log files retrieving method', build: retrievalPage },
  fetchlet: { title: 'Create new workspace - fill in parameters for Fetchlet interface', build: fetchletPage },
  ftp: { title: 'Create new workspace - fill in parameters for FTP connection', build: ftpPage },
};

// The pages in the order shown: the retrieving method decides whether one more follows.
function sequence(values) {
  const method = Number(values.settings['retrieve-method']);
  const pages = ['general', 'format', 'retrieval'];
  if (method === FETCHLET) pages.push('fetchlet');
  if (method === FTP) pages.push('ftp');
  return pages;
}

// Shows the wizard on `values` ({name, location, settings: {key: text}}), from page `start` (a
// key of PAGES). Resolves with the values entered on Finish, or null on Cancel.
export function newWorkspaceWizard(initial, start = 'general') {
  const values = structuredClone(initial);
  return new Promise((resolve) => {
    let page = start;
    const caption = el('div', { className: 'caption' });
    const body = el('div', { className: 'body wizard-page' });
    const back = el('button', { id: 'wizard-back', type: 'button', text: '< Back' });
    const next = el('button', { id: 'wizard-next', type: 'button', text: 'Next >' });
    const finish = el('button', { id: 'wizard-finish', type: 'button', className: 'primary', text: 'Finish' });
    const cancel = el('button', { id: 'wizard-cancel', type: 'button', text: 'Cancel' });
    const dialog = el('dialog', { id: 'wizard', className: 'window wizard' }, [
      caption, body, el('div', { className: 'buttons' }, [back, next, finish, cancel]),
    ]);
    const show = () => {
      const pages = sequence(values);
      const index = pages.indexOf(page);
      caption.textContent = PAGES[page].title;
      body.dataset.page = page;
      body.replaceChildren(...PAGES[page].build(values));
      back.disabled = index === 0;
      next.disabled = index === pages.length - 1;
      finish.disabled = index !== pages.length - 1;
      const first = body.querySelector('input:not([disabled])');
      if (first) first.focus();
    };
    const move = (step) => {
      const pages = sequence(values);
      const index = pages.indexOf(page) + step;
      if (index >= 0 && index < pages.length) {
        page = pages[index];
        show();
      }
    };
    const end = (value) => {
      dialog.close();
      dialog.remove();
      resolve(value);
    };
    back.addEventListener('click', () => move(-1));
    // The method chosen may have shortened the way: Next and Finish are judged again on a change.
    body.addEventListener('change', () => {
      const pages = sequence(values);
      const index = pages.indexOf(page);
      next.disabled = index === pages.length - 1;
      finish.disabled = index !== pages.length - 1;
    });
    next.addEventListener('click', () => move(1));
    finish.addEventListener('click', () => end(values));
    cancel.addEventListener('click', () => end(null));
    dialog.addEventListener('cancel', (event) => { event.preventDefault(); end(null); });
    document.body.append(dialog);
    show();
    dialog.showModal();
  });
}
