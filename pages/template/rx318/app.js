// The start page: lists the devices ("GetDevicesList"), follows device
// changes ("devicesChanged") and input reports ("onDeviceData"), and drives
// the frameless window: dragging the title bar moves it ("MoveWindow"), the
// buttons minimise, maximise or restore, and close it.
(function () {
    'use strict';

    function request(text, onSuccess, onFailure) {
        window.cefQuery({
            request: text,
            persistent: false,
            onSuccess: onSuccess || function () {},
            onFailure: onFailure || function () {}
        });
    }

    function command(name, members) {
        var object = { FuncName: name };
        for (var key in members || {})
            object[key] = members[key];
        return JSON.stringify(object);
    }

    function logEvent(text) {
        var list = document.getElementById('events');
        var item = document.createElement('li');
        item.textContent = new Date().toLocaleTimeString() + '  ' + text;
        list.insertBefore(item, list.firstChild);
        while (list.children.length > 50)
            list.removeChild(list.lastChild);
    }

    var reportCells = {};

    function showDevices(records) {
        var body = document.querySelector('#devices tbody');
        body.textContent = '';
        reportCells = {};
        records.forEach(function (record) {
            var row = document.createElement('tr');
            [record.Version, record.DeviceId, record.DevicePath].forEach(function (value) {
                var cell = document.createElement('td');
                cell.textContent = value === undefined ? '' : String(value);
                row.appendChild(cell);
            });
            var report = document.createElement('td');
            report.className = 'report';
            row.appendChild(report);
            reportCells[String(record.Version)] = report;
            body.appendChild(row);
        });
        document.getElementById('status').textContent =
            records.length + (records.length === 1 ? ' device' : ' devices');
    }

    function listDevices() {
        document.getElementById('status').textContent = 'Looking for devices\u2026';
        // No devices: no answer at all, and the status stays as it is.
        request(command('GetDevicesList'), function (text) {
            var records = [];
            try {
                records = JSON.parse(text);
            } catch (e) {
                logEvent('unreadable device list');
            }
            showDevices(Array.isArray(records) ? records : []);
        });
        setTimeout(function () {
            if (Object.keys(reportCells).length === 0)
                document.getElementById('status').textContent = 'No device found.';
        }, 1500);
    }

    function setupTitleBar() {
        var bar = document.getElementById('titlebar');
        var dragging = null;
        var maximised = false;
        bar.addEventListener('mousedown', function (e) {
            if (e.button !== 0 || e.target.tagName === 'BUTTON' || maximised)
                return;
            dragging = { x: e.screenX, y: e.screenY };
        });
        window.addEventListener('mousemove', function (e) {
            if (!dragging)
                return;
            var dx = e.screenX - dragging.x;
            var dy = e.screenY - dragging.y;
            if (dx === 0 && dy === 0)
                return;
            dragging = { x: e.screenX, y: e.screenY };
            request('MoveWindow ' + [dx, dy, window.innerWidth, window.innerHeight].join(','));
        });
        window.addEventListener('mouseup', function () { dragging = null; });

        document.getElementById('minimise').addEventListener('click', function () {
            request('{"FuncName":"MinisizeWindow"}');
        });
        document.getElementById('maximise').addEventListener('click', function () {
            request(command(maximised ? 'restoreWindow' : 'maxsizeWindow'));
            maximised = !maximised;
        });
        bar.addEventListener('dblclick', function (e) {
            if (e.target.tagName !== 'BUTTON')
                document.getElementById('maximise').click();
        });
        document.getElementById('close').addEventListener('click', function () {
            request(command('CloseX'));
        });
    }

    document.addEventListener('DOMContentLoaded', function () {
        setupTitleBar();
        document.getElementById('refresh').addEventListener('click', listDevices);

        window.setMessageCallback('devicesChanged', function () {
            logEvent('devicesChanged');
            listDevices();
        });
        window.setMessageCallback('onDeviceData', function (args) {
            var report = String(args[0]);
            var cells = Object.keys(reportCells);
            // The report names no device; with one device it is that one's.
            if (cells.length === 1)
                reportCells[cells[0]].textContent = report;
            logEvent('onDeviceData ' + report);
        });
        window.setMessageCallback('onBrowserMsg', function (args) {
            logEvent('onBrowserMsg ' + args[0]);
        });
        listDevices();
    });
})();
