// The main window: menu bar, toolbar with the date picker, filter bar, report tree, report view
// and status bar, and the commands that tie them together (showing, navigation and history).
import { api } from './api.js';
import { el, openInNewTab } from './dom.js';
import { KEYS, keyName, statusPrompt, tooltip } from './commands.js';
import { MenuBar } from './menu.js';
import { ReportTree } from './tree.js';
import { ReportView } from './report_view.js';
import { FilterBar } from './filter_bar.js';
import { about, cellMenu, combinedExport, message } from './dialogs.js';
import { MenuCommands } from './menu_commands.js';
import { FileMenu } from './file_menu.js';
import { workspaceSettings } from './settings_dialog.js';
import { manageLogFiles } from './log_files.js';
import { JobCommands } from './progress.js';

const READY = 'Ready';
// Rows drawn at first; a longer list is finished on request ("Show all").
const ROW_LIMIT = 1000;

const app = {
  state: null,
  order: [], // report ids in catalogue order
  current: null,
  history: [],
  position: -1,
  sort: 2, // Week
  status: READY,
  requests: 0,
  allRows: false, // the current report is shown with all its rows
};

const statusText = document.getElementById('status');
const statusRight = document.getElementById('status-right');
const view = new ReportView(document.getElementById('view'), {
  sortBy: (period) => { app.sort = period; showCurrent(); },
  showAll: () => { app.allRows = true; showCurrent(); },
  cellMenu: openCellMenu,
  chartUrl: (id, sort, width) => api.chartUrl(id, sort, width, Date.now()),
});
const filterBar = new FilterBar(document.getElementById('filterbar'), {
  change: async (change) => {
    takeState(await api.changeFilters(change));
    await showCurrent();
  },
});
let tree = null;
const jobs = new JobCommands({
  afterRun: async () => {
    takeState(await api.state());
    await showCurrent();
  },
});
const commands = new MenuCommands({
  state: () => app.state,
  takeState: (state) => takeState(state),
  showMessages: (messages) => showMessages(messages),
  refresh: () => (app.current !== null ? showCurrent() : null),
});

const fileMenu = new FileMenu({
  showMessages: (messages) => showMessages(messages),
  showWorkspace: (state) => showWorkspace(state),
});

function setStatus(text) {
  app.status = text;
  statusText.textContent = text;
}

function setPrompt(text) {
  statusText.textContent = text === null ? app.status : text;
}

function workspaceOpen() {
  return app.state !== null && app.state.workspace !== null;
}

function indexOfCurrent() {
  return app.current === null ? -1 : app.order.indexOf(app.current);
}

function isAvailable(command) {
  switch (command) {
    case 'retrieve': case 'parse': case 'remove': case 'manageLogs': case 'settings': case 'exportAll':
      return workspaceOpen();
    case 'viewLog':
      return workspaceOpen() && app.state.workspace.parsing_log;
    case 'previous':
      return workspaceOpen() && indexOfCurrent() > 0;
    case 'next':
      return workspaceOpen() && app.order.length > 0 && indexOfCurrent() < app.order.length - 1;
    case 'back':
      return app.position > 0;
    case 'forward':
      return app.position >= 0 && app.position < app.history.length - 1;
    case 'refresh': case 'exportCurrent':
      return workspaceOpen() && app.current !== null;
    default:
      return true;
  }
}

// Shows report `id`. From the tree, Previous and Next the report becomes the newest history entry
// (dropping those Forward could have reached); Back and Forward only move in the history.
async function showReport(id, record) {
  if (record) {
    app.history.splice(app.position + 1);
    app.history.push(id);
    app.position = app.history.length - 1;
  }
  app.current = id;
  app.allRows = false;
  if (tree) tree.select(id);
  updateToolbar();
  await showCurrent();
}

async function showCurrent() {
  if (!workspaceOpen() || app.current === null) return;
  const id = app.current;
  const serial = ++app.requests;
  const started = performance.now();
  try {
    const report = await api.report(id, app.sort, app.allRows ? 0 : ROW_LIMIT);
    // A later request (another report, filter or day) has made this answer stale.
    if (serial !== app.requests) return;
    view.render(report, app.sort);
    const shownIn = Math.round(performance.now() - started);
    setStatus(`Report generation time: ${report.generation_ms} ms`);
    statusRight.textContent = `${report.total_rows} rows \u2022 shown in ${shownIn} ms`;
    await view.finish();
    if (serial !== app.requests) return;
    const root = document.getElementById('view');
    root.dataset.shown = id;
    root.dataset.renders = String(Number(root.dataset.renders || 0) + 1);
    await showMessages(report.messages);
  } catch (error) {
    view.clear(error.message);
    setStatus(READY);
  }
}

async function showMessages(messages) {
  for (const m of messages || []) await message(m.caption, m.text, m.icon);
}

function takeState(state) {
  app.state = state;
  document.title = state.title;
  document.getElementById('day').value = state.today || '';
  document.getElementById('day').disabled = !workspaceOpen();
  document.getElementById('latest').disabled = !state.day_picked;
  document.body.classList.toggle('no-workspace', !workspaceOpen());
  if (workspaceOpen()) filterBar.show(state.filters);
  statusRight.textContent = workspaceOpen() ? state.workspace.file : '';
  updateToolbar();
}

async function load() {
  takeState(await api.state());
  const nodes = await api.tree();
  app.order = nodes.filter((n) => n.id).map((n) => n.id);
  if (!workspaceOpen()) {
    document.getElementById('tree').replaceChildren();
    view.clear(app.state.open_failure || 'No workspace is open. Create one with File > New Workspace, or open one with File > Open Workspace.');
    return;
  }
  tree = new ReportTree(document.getElementById('tree'), nodes, (id) => {
    if (id) showReport(id, true);
    else { app.current = null; view.clear(''); updateToolbar(); }
  });
  view.clear('Choose a report in the tree.');
  await showMessages(app.state.messages);
}

// The workspace the server has just opened (or failed to open), from the first report on.
async function showWorkspace(state) {
  takeState(state);
  await showMessages(state.messages);
  app.current = null;
  app.history = [];
  app.position = -1;
  await load();
}

async function run(command) {
  if (!isAvailable(command)) return;
  switch (command) {
    case 'previous':
      return showReport(app.order[indexOfCurrent() - 1], true);
    case 'next':
      return showReport(app.order[indexOfCurrent() + 1], true);
    case 'back':
      app.position -= 1;
      return showReport(app.history[app.position], false);
    case 'forward':
      app.position += 1;
      return showReport(app.history[app.position], false);
    case 'refresh':
      return showCurrent();
    case 'new':
      return fileMenu.newWorkspace();
    case 'open':
      return fileMenu.openWorkspace();
    case 'exit':
      return fileMenu.exit();
    case 'about':
      return about(app.state.version);
    case 'tip':
      return commands.showTip();
    case 'viewLog':
      return commands.viewParsingLog();
    case 'remove':
      return commands.removeAllData();
    case 'retrieve': case 'parse':
      return jobs.run(command);
    case 'exportCurrent':
      return commands.exportReports(app.current, undefined, app.sort);
    case 'exportAll': {
      const chosen = await combinedExport(app.state.workspace.combined_export_limit, app.sort);
      return chosen ? commands.exportReports('all', chosen.limit, chosen.sort) : null;
    }
    case 'help':
      return window.open('/help.html', '_blank', 'noopener');
    case 'settings':
      return changeSettings();
    case 'manageLogs':
      return manageLogFiles().catch((error) => message('Velmora', error.message, 'error'));
    default:
      return null;
  }
}

// The settings apply to what is parsed next; the database keeps what earlier runs made of the logs.
async function changeSettings() {
  let state = null;
  try {
    state = await workspaceSettings();
  } catch (error) {
    return message('Velmora', error.message, 'error');
  }
  if (state === null) return null;
  takeState(state);
  await showMessages(state.messages);
  if (state.parsing_changed) {
    await message('Velmora', 'The changed settings apply to the log files parsed from now on. ' +
      'The data parsed before keeps the settings it was parsed with; to apply them to everything, ' +
      'remove all parsed data and parse the logs again.');
  }
  return showCurrent();
}

async function openCellMenu(event, text, actions) {
  const items = [];
  for (const action of actions) {
    const whois = app.state.whois.find((w) => w.action === action);
    if (whois) items.push({ action, caption: whois.caption });
    else if (action === 'open') items.push({ action, caption: 'Open URL in browser' });
    else if (action === 'copy') items.push({ action, caption: 'Copy value to the clipboard' });
  }
  const chosen = await cellMenu(event, items);
  if (chosen === null) return;
  const whois = app.state.whois.find((w) => w.action === chosen);
  if (whois) openInNewTab(whois.query + encodeURIComponent(text));
  else if (chosen === 'open') openInNewTab(text);
  else if (chosen === 'copy') await copyText(text);
}

async function copyText(text) {
  try {
    await navigator.clipboard.writeText(text);
  } catch (error) {
    const area = el('textarea', { className: 'offscreen' });
    area.value = text;
    document.body.append(area);
    area.select();
    document.execCommand('copy');
    area.remove();
  }
  setStatus(READY);
}

function updateToolbar() {
  for (const button of document.querySelectorAll('#toolbar [data-command]')) {
    button.disabled = !isAvailable(button.dataset.command);
  }
}

function buildToolbar() {
  for (const button of document.querySelectorAll('#toolbar [data-command]')) {
    const command = button.dataset.command;
    button.title = tooltip(command);
    button.addEventListener('click', () => run(command));
    button.addEventListener('mouseenter', () => setPrompt(statusPrompt(command)));
    button.addEventListener('mouseleave', () => setPrompt(null));
  }
  const day = document.getElementById('day');
  day.addEventListener('change', async () => {
    if (!day.value) return;
    takeState(await api.pickDay(day.value));
    await showCurrent();
  });
  document.getElementById('latest').addEventListener('click', async () => {
    takeState(await api.pickDay(null));
    await showCurrent();
  });
}

document.addEventListener('keydown', (event) => {
  const command = KEYS[keyName(event)];
  if (!command) return;
  const typing = event.target instanceof HTMLInputElement && !event.altKey && !event.key.startsWith('F');
  if (typing) return;
  event.preventDefault();
  run(command);
});

new MenuBar(document.getElementById('menubar'), {
  isAvailable,
  run,
  setPrompt,
  recent: () => (app.state ? app.state.recent : []),
  openRecent: async (index) => {
    try {
      await showWorkspace(await api.openRecent(index));
    } catch (error) {
      await message('Velmora', error.message, 'error');
    }
  },
});
buildToolbar();
setStatus(READY);
load()
  .then(() => jobs.watch())
  .then(() => (app.state.show_tip_at_startup ? commands.showTip() : null))
  .catch((error) => view.clear(`The server did not answer: ${error.message}`));
