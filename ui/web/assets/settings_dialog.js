// The "Workspace settings" dialog: eight pages as tabs, every value of the workspace with its own
// label. OK sends the values back at once; the server checks them as `velmora settings set`
// does, and a refusal is shown beside its field with nothing changed. Cancel changes nothing.
// The passwords never come to the page: it knows whether one is set and sends a new one only
// when the user typed it.
import { api } from './api.js';
import { el } from './dom.js';
import { modal } from './dialogs.js';
import { fileTypesPage, filtersPage } from './settings_lists.js';

const FORMATS = ['W3C Extended Log File Format', 'Autodetect', 'Custom log file format string'];
const METHODS = ['Through "Fetchlet" interface', 'Using FTP connection', 'From local directory'];
const COMPRESSIONS = ['Compress with BZIP2 (slow, 25 to 1)', 'Compress with GZIP (fast, 15 to 1)', 'Uncompressed'];

// Builds the fields of one dialog; each knows its setting key and how to read itself back.
class Fields {
  constructor(settings) {
    this.settings = settings;
    this.readers = {}; // key -> () => value sent back
    this.nodes = {}; // key -> node the refusal is shown after
  }

  add(key, node, read, row = node) {
    this.readers[key] = read;
    this.nodes[key] = row;
    return row;
  }

  text(key, label, { readonly = false, max = 259, title } = {}) {
    const input = el('input', { id: `setting-${key}`, type: 'text', maxlength: max, value: this.settings[key], readonly, title });
    const row = el('label', { className: 'field' }, [label, input]);
    return readonly ? row : this.add(key, input, () => input.value, row);
  }

  // A number goes back as typed when it is not one, for the server to say what it takes.
  number(key, label, { min, max, title } = {}) {
    const input = el('input', { id: `setting-${key}`, type: 'number', min, max, value: this.settings[key], title });
    const read = () => (/^-?\d+$/.test(input.value.trim()) ? Number(input.value.trim()) : input.value);
    return this.add(key, input, read, el('label', { className: 'field' }, [label, input]));
  }

  check(key, label) {
    const box = el('input', { id: `setting-${key}`, type: 'checkbox', checked: this.settings[key] === 1 });
    return this.add(key, box, () => (box.checked ? 1 : 0), el('label', { className: 'check' }, [box, label]));
  }

  radios(key, legend, texts, onchange) {
    const inputs = texts.map((text, value) => el('input', {
      type: 'radio', name: `setting-${key}`, id: `setting-${key}-${value}`, value, checked: this.settings[key] === value, onchange,
    }));
    const set = el('fieldset', {}, [el('legend', { text: legend }),
      ...inputs.map((input, value) => el('label', { className: 'radio' }, [input, texts[value]]))]);
    const read = () => { const on = inputs.find((i) => i.checked); return on ? Number(on.value) : this.settings[key]; };
    return this.add(key, set, read);
  }

  zone(key, label, title) {
    const list = el('select', { id: `setting-${key}`, title });
    this.settings['time-zones'].forEach((text, value) =>
      list.append(el('option', { value, text, selected: value === this.settings[key] })));
    return this.add(key, list, () => Number(list.value), el('label', { className: 'field wide-label' }, [label, list]));
  }

  // Sent only once typed in: an empty field typed clears the password.
  password(key, label) {
    const set = this.settings[`${key}-set`];
    const input = el('input', { id: `setting-${key}`, type: 'password', maxlength: 259, autocomplete: 'new-password',
      placeholder: set ? '(set; type to replace)' : '(not set)' });
    let typed = false;
    input.addEventListener('input', () => { typed = true; });
    this.readers[key] = () => (typed ? input.value : undefined);
    this.nodes[key] = el('label', { className: 'field' }, [label, input]);
    return this.nodes[key];
  }

  // The values the user changed: a value left alone is not sent, so that a change the server
  // made meanwhile (a format detected by a parse run started from another tab) stays.
  values(lists) {
    const out = {};
    for (const [key, read] of Object.entries(this.readers)) {
      const value = read();
      if (value !== undefined && value !== this.settings[key]) out[key] = value;
    }
    for (const [key, value] of Object.entries(lists)) {
      if (JSON.stringify(value) !== JSON.stringify(this.settings[key])) out[key] = value;
    }
    return out;
  }
}

function buildPages(settings, f) {
  const custom = f.text('custom-format', 'Format string:', { max: 2047 });
  const customInput = custom.querySelector('input');
  let format = null;
  const followFormat = () => { customInput.disabled = !format.querySelector('input[value="2"]').checked; };
  format = f.radios('log-format-mode', 'Log file format', FORMATS, followFormat);
  const fileTypes = fileTypesPage(settings);
  const filters = filtersPage(settings, f.check('enable-filters', 'Enable Filters'));
  Object.assign(f.nodes, fileTypes.fields, filters.fields);
  const pages = [
    ['General', [
      f.text('workspace-name', 'Workspace name:', { readonly: true }),
      f.text('server-names', 'Server name(s):', { title: "The site's own domain names, separated by commas" }),
      f.text('default-file', 'Default file:'),
      f.number('session-timeout', 'Session timeout:', { min: 1, title: 'Session timeout in minutes (recommended value is 30 minutes)' }),
      f.check('advanced-visit-detection', 'Advanced Visit Detection'),
      f.check('store-full-path', 'Store full visitor path'),
    ]],
    ['Log Files', [
      format,
      custom,
      f.radios('retrieve-method', 'Retrieve log files', METHODS),
      f.radios('local-compression', 'Store retrieved files', COMPRESSIONS),
    ]],
    ['HTTP Settings', [
      f.text('http-server', 'Server name:', { title: "The name of the server with 'Fetchlet' interface installed" }),
      f.text('fetchlet-path', 'Path to fetchlet.dll:', { title: "Virtual Path to the 'Fetchlet' interface (common path is '/cgi-bin/fl.dll' for ISAPI version or '/logs/fl.php' for PHP version)" }),
      f.text('http-log-path', 'Path to log files:', { title: "Path on the server, where Velmora will search for logs (e.g. '/logs/')" }),
      f.text('http-user', 'Username:'),
      f.password('http-password', 'Password:'),
      f.check('fetchlet-gzip', 'Use GZIP instead of BZIP2'),
      f.number('http-files-to-keep', 'Number of files to keep on server (1-9999):', { min: 1, max: 9999, title: 'Number of most recent log files to keep on server' }),
    ]],
    ['FTP Settings', [
      f.text('ftp-server', 'Server name:'),
      f.number('ftp-port', 'Port:', { min: 1, max: 65535 }),
      f.text('ftp-log-path', 'Path to log files:'),
      f.text('ftp-login', 'Login:'),
      f.password('ftp-password', 'Password:'),
      f.check('passive-ftp', 'Use Passive FTP (firewall and DSL modem compatibility)'),
    ]],
    ['File Types', [fileTypes.node]],
    ['Time Settings', [
      f.zone('server-time-zone', 'Log Files (Server) time zone (set this to GMT if you are using W3C Extended log file format):', 'Time zone of the server generating log files'),
      f.zone('your-time-zone', 'Your time zone:', 'Your local time zone'),
      f.check('switch-to-recent', 'Automatically switch to the most recent statistics after log processing.'),
    ]],
    ['Export', [
      f.number('export-limit', 'Limit entries in individual reports to:', { min: 0, title: 'Enter zero for unlimited' }),
      f.number('combined-export-limit', 'Limit entries in combined report to:', { min: 0, title: 'Enter zero for unlimited' }),
      el('div', { className: 'hint', text: 'Enter zero for unlimited' }),
      f.check('open-exported-report', 'Open report in the browser after successful export'),
    ]],
    ['Filters', [filters.node]],
  ];
  return { pages, followFormat, lists: () => ({ ...fileTypes.value(), ...filters.value() }) };
}

// Shows the dialog for the workspace's settings; resolves with the server's reply to OK (the
// page's state, with "parsing_changed") or null for Cancel.
export async function workspaceSettings() {
  const settings = await api.settings();
  const f = new Fields(settings);
  const { pages, followFormat, lists } = buildPages(settings, f);
  const tabs = el('div', { className: 'tabs', role: 'tablist' });
  const bodies = pages.map(([name, children], index) => {
    const body = el('div', { className: 'tab-page', role: 'tabpanel', id: `settings-page-${index}`, hidden: index !== 0 }, children);
    tabs.append(el('button', {
      type: 'button', role: 'tab', className: index === 0 ? 'tab chosen' : 'tab', dataset: { page: String(index) }, text: name,
      'aria-selected': index === 0 ? 'true' : 'false', 'aria-controls': `settings-page-${index}`,
      onclick: () => showPage(index),
    }));
    return body;
  });
  function showPage(index) {
    bodies.forEach((b, i) => { b.hidden = i !== index; });
    [...tabs.children].forEach((t, i) => {
      t.classList.toggle('chosen', i === index);
      t.setAttribute('aria-selected', String(i === index));
    });
  }
  let problem = null;
  let reply = null;
  const send = async () => {
    if (problem) problem.remove();
    try {
      reply = await api.changeSettings(f.values(lists()));
      return true;
    } catch (error) {
      const at = f.nodes[error.field];
      problem = el('div', { className: 'problem', id: 'settings-problem', role: 'alert', text: error.message });
      if (at) {
        at.after(problem);
        showPage(bodies.findIndex((b) => b.contains(at)));
        if (at.focus) at.focus();
      } else {
        tabs.after(problem);
      }
      return false;
    }
  };
  followFormat();
  const ok = await modal('Workspace settings', [tabs, ...bodies],
    [{ text: 'OK', value: true, primary: true }, { text: 'Cancel', value: null }], send, 'settings');
  return ok ? reply : null;
}
