<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="vi_VN">
<context>
    <name>AppDelegate</name>
    <message>
        <source>Korvel Printer: print service stopped</source>
        <translation>Korvel Printer: dịch vụ in đã dừng</translation>
    </message>
    <message>
        <source>Diagnostics copied</source>
        <translation>Đã sao chép thông tin chẩn đoán</translation>
    </message>
    <message>
        <source>Paste the report into your message to support.</source>
        <translation>Hãy dán báo cáo vào tin nhắn gửi bộ phận hỗ trợ.</translation>
    </message>
    <message>
        <source>Korvel Printer is running, but this desktop shows no tray icons. Open it again from the app launcher to see the panel.</source>
        <translation>Korvel Printer đang chạy, nhưng màn hình nền này không hiện biểu tượng khay hệ thống. Hãy mở lại ứng dụng từ trình khởi chạy để xem bảng điều khiển.</translation>
    </message>
    <message>
        <source>The AppIndicator extension adds tray icons.</source>
        <translation>Tiện ích mở rộng AppIndicator sẽ thêm biểu tượng khay hệ thống.</translation>
    </message>
</context>
<context>
    <name>ConfigWindowController</name>
    <message>
        <source>Could not open the configuration page: </source>
        <translation>Không mở được trang cấu hình: </translation>
    </message>
</context>
<context>
    <name>ConnectionsCard</name>
    <message>
        <source>Kết nối máy in</source>
        <translation>Kết nối máy in</translation>
    </message>
    <message>
        <source>Cấu hình máy in</source>
        <translation>Cấu hình máy in</translation>
    </message>
</context>
<context>
    <name>DialogPrompts</name>
    <message>
        <source>Log files (*.log)</source>
        <translation>Tệp nhật ký (*.log)</translation>
    </message>
    <message>
        <source>Plain text (*.txt)</source>
        <translation>Văn bản thuần (*.txt)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Đồng ý</translation>
    </message>
</context>
<context>
    <name>FreedesktopNotifier</name>
    <message>
        <source>Open</source>
        <translation>Mở</translation>
    </message>
</context>
<context>
    <name>LinuxSharePicker</name>
    <message>
        <source>Email…</source>
        <translation>Gửi qua email…</translation>
    </message>
    <message>
        <source>Copy file</source>
        <translation>Sao chép tệp</translation>
    </message>
    <message>
        <source>Open with…</source>
        <translation>Mở bằng…</translation>
    </message>
</context>
<context>
    <name>LogHeader</name>
    <message>
        <source>Export…</source>
        <translation>Xuất…</translation>
    </message>
    <message>
        <source>Share…</source>
        <translation>Chia sẻ…</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Nhật ký</translation>
    </message>
    <message>
        <source>Open in Console</source>
        <translation>Mở trong Console</translation>
    </message>
    <message>
        <source>Reveal in Finder</source>
        <translation>Hiện trong Finder</translation>
    </message>
    <message>
        <source>Open Log</source>
        <translation>Mở nhật ký</translation>
    </message>
    <message>
        <source>Open Containing Folder</source>
        <translation>Mở thư mục chứa</translation>
    </message>
</context>
<context>
    <name>LogTailer</name>
    <message>
        <source>Export Korvel Printer Log</source>
        <translation>Xuất nhật ký Korvel Printer</translation>
    </message>
    <message>
        <source>Export failed: </source>
        <translation>Xuất nhật ký không thành công: </translation>
    </message>
    <message>
        <source>Could not prepare log for sharing: </source>
        <translation>Không chuẩn bị được nhật ký để chia sẻ: </translation>
    </message>
    <message>
        <source>No permission to read the log file: </source>
        <translation>Không có quyền đọc tệp nhật ký: </translation>
    </message>
    <message>
        <source>The log path is a folder: </source>
        <translation>Đường dẫn nhật ký là một thư mục: </translation>
    </message>
    <message>
        <source>The log path is not a regular file: </source>
        <translation>Đường dẫn nhật ký không phải là tệp thường: </translation>
    </message>
</context>
<context>
    <name>LogView</name>
    <message>
        <source>Waiting for log output…</source>
        <translation>Đang chờ nhật ký…</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Nhật ký</translation>
    </message>
</context>
<context>
    <name>PanelTexts</name>
    <message>
        <source>Health endpoint OK</source>
        <translation>API phản hồi bình thường</translation>
    </message>
    <message>
        <source>Health endpoint not reachable</source>
        <translation>API không phản hồi</translation>
    </message>
    <message>
        <source>Chưa chọn</source>
        <translation>Chưa chọn</translation>
    </message>
    <message>
        <source>đảo tem</source>
        <translation>đảo tem</translation>
    </message>
    <message>
        <source>Không đọc được cấu hình: %1</source>
        <translation>Không đọc được cấu hình: %1</translation>
    </message>
    <message>
        <source>Could not fetch printers: </source>
        <translation>Không lấy được danh sách máy in: </translation>
    </message>
    <message>
        <source>Loading…</source>
        <translation>Đang tải…</translation>
    </message>
    <message>
        <source>No printers detected. Add one via System Settings → Printers, or `lpadmin -p NAME -E -v usb://… -m raw`.</source>
        <translation>Chưa thấy máy in nào. Hãy thêm máy in trong Cài đặt hệ thống → Máy in, hoặc bằng lệnh `lpadmin -p NAME -E -v usb://… -m raw`.</translation>
    </message>
    <message>
        <source>Printers found: %1</source>
        <translation>Số máy in tìm thấy: %1</translation>
    </message>
    <message>
        <source>Printer list updated %1</source>
        <translation>Danh sách máy in cập nhật %1</translation>
    </message>
    <message>
        <source>Service: %1</source>
        <translation>Dịch vụ: %1</translation>
    </message>
</context>
<context>
    <name>PopoverView</name>
    <message>
        <source>Korvel Printer</source>
        <translation>Korvel Printer</translation>
    </message>
    <message>
        <source>API :9020</source>
        <translation>API :9020</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Thoát</translation>
    </message>
    <message>
        <source>just now</source>
        <translation>vừa xong</translation>
    </message>
    <message>
        <source>s ago</source>
        <translation> giây trước</translation>
    </message>
    <message>
        <source>m ago</source>
        <translation> phút trước</translation>
    </message>
    <message>
        <source>h ago</source>
        <translation> giờ trước</translation>
    </message>
</context>
<context>
    <name>PrintErrorNotices</name>
    <message>
        <source>%1 print errors since %2</source>
        <translation>%1 lỗi in từ %2</translation>
    </message>
    <message>
        <source>Print error</source>
        <translation>Lỗi in</translation>
    </message>
</context>
<context>
    <name>PrinterSection</name>
    <message>
        <source>Refresh</source>
        <translation>Làm mới</translation>
    </message>
    <message>
        <source>Printers</source>
        <translation>Máy in</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Sao chép</translation>
    </message>
    <message>
        <source>Asks the daemon for its printers again</source>
        <translation>Hỏi lại daemon danh sách máy in</translation>
    </message>
</context>
<context>
    <name>ServiceState</name>
    <message>
        <source>Failed (%1)</source>
        <translation>Lỗi (%1)</translation>
    </message>
    <message>
        <source>Starting…</source>
        <translation>Đang khởi động…</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>Đang dừng…</translation>
    </message>
</context>
<context>
    <name>Spinner</name>
    <message>
        <source>Loading…</source>
        <translation>Đang tải…</translation>
    </message>
</context>
<context>
    <name>StatusCard</name>
    <message>
        <source>Restart</source>
        <translation>Khởi động lại</translation>
    </message>
    <message>
        <source>Restarts the print service</source>
        <translation>Khởi động lại dịch vụ in</translation>
    </message>
</context>
<context>
    <name>TrayStatusItem</name>
    <message>
        <source>Open Korvel Printer</source>
        <translation>Mở Korvel Printer</translation>
    </message>
    <message>
        <source>Cấu hình máy in</source>
        <translation>Cấu hình máy in</translation>
    </message>
    <message>
        <source>Copy diagnostics</source>
        <translation>Sao chép thông tin chẩn đoán</translation>
    </message>
    <message>
        <source>Notify on print errors</source>
        <translation>Thông báo khi in lỗi</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Thoát</translation>
    </message>
</context>
</TS>
